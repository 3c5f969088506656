// What the splash and the about window both show: the logo, the program's name, version and
// revision, the credit line and the disclaimer.
#pragma once

#include <QPoint>

class QLabel;
class QWidget;

namespace rastel::about {

class Identity {
  protected:
    // Places the six items on the parent. The two windows differ only in where the version and
    // the revision stand.
    void createIdentity(QWidget* parent, QPoint versionAt, QPoint revisionAt);

    // Fills the version, the revision and the logo; every showing of a window does it again.
    void loadIdentity();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblRevision = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblDescription = nullptr;
};

}  // namespace rastel::about
