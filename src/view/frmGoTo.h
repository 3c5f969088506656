// Asks for a byte offset of the shown file and checks that the picture shows that byte.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

#include "image/pixels/PixelDecoder.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace rastel {

class frmGoTo : public QDialog {
    Q_OBJECT

  public:
    // The cell of the picture that shows a byte, or nothing where the picture does not show it.
    using CellFinder = std::function<std::optional<modBITMAPinfo::Cell>(std::int64_t byte)>;

    // fileSize bytes, shown where cellOf says.
    frmGoTo(QWidget* owner, std::int64_t fileSize, CellFinder cellOf);

    // Once accepted: the cell of the picture that shows the byte typed.
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
    CellFinder mCellOf;
    modBITMAPinfo::Cell mTarget;
};

}  // namespace rastel
