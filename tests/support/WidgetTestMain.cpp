// The main of every widget test program: one application object for all tests, headless
// unless the environment names a platform.
#include <gtest/gtest.h>

#include "toolkit/Application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    rastel::toolkit::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
