#include "toolkit/Version.h"

#include <gtest/gtest.h>

namespace rastel::toolkit {
namespace {

TEST(Version, ComesFromTheProjectVersion) {
    EXPECT_EQ(Version().major, 1);
    EXPECT_EQ(Version().minor, 1);
    EXPECT_EQ(Version().revision, 24);
    EXPECT_EQ(VersionCaption(), "1.1");
}

}  // namespace
}  // namespace rastel::toolkit
