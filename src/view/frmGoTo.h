// Asks for a byte offset of the shown file and checks that the picture shows that byte.
#pragma once

#include <QDialog>
#include <cstdint>

#include "image/PixelDecoder.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace rastel {

class frmGoTo : public QDialog {
    Q_OBJECT

  public:
    // fileSize bytes, shown as layout lays them out.
    frmGoTo(QWidget* owner, std::int64_t fileSize, const modBITMAPinfo::DecodeLayout& layout);

    // Once accepted: the byte, and the cell of the picture that shows its first pixel.
    modBITMAPinfo::Cell Target() const { return mTarget; }

  private:  // handlers
    void cmdOK_Click();

  private:
    void wireEvents();
    void Refuse(const QString& text);

    QLabel* lblOFFSET = nullptr;
    QLineEdit* tbxOFFSET = nullptr;
    QLabel* lblRANGE = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCANCEL = nullptr;

    std::int64_t mFileSize;
    modBITMAPinfo::DecodeLayout mLayout;
    modBITMAPinfo::Cell mTarget;
};

}  // namespace rastel
