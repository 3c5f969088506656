#include "toolkit/Application.h"

#include <QWidget>

#include "toolkit/Fonts.h"
#include "toolkit/Validation.h"

namespace rastel::toolkit {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    InstallFontSubstitutions();
    connect(this, &QApplication::focusChanged, this, &validation::FocusChanged);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    switch (validation::BeforeDelivery(receiver, event)) {
        case validation::Verdict::Refused:
            return true;
        case validation::Verdict::Passed: {
            const bool result = QApplication::notify(receiver, event);
            validation::Delivered();
            return result;
        }
        case validation::Verdict::None:
            break;
    }
    return QApplication::notify(receiver, event);
}

}  // namespace rastel::toolkit
