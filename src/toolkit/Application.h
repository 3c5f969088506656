// The program's application object: QApplication with validate-on-focus-loss (Validation.h).
// Qt moves the focus for a mouse press before any event filter sees it, so the check has to
// run in notify().
#pragma once

#include <QApplication>

namespace rastel::toolkit {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace rastel::toolkit
