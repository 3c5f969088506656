// The two picture boxes of the main view: the viewport picBASE and, inside it, the image box
// picPICT. Their Qt overrides only pass events on as signals for the window's handlers.
#pragma once

#include <QWidget>
#include <cstdint>

#include "image/pixels/PictureRows.h"

class QDragMoveEvent;
class QDropEvent;

namespace rastel {

// Modifier set of the key handlers: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers);

// A box that takes drops: entering and moving over it both ask OLEDragOver, so one handler
// decides, and a drop is passed on as OLEDragDrop.
class DropBox : public QWidget {
    Q_OBJECT

  public:
    explicit DropBox(QWidget* parent);

  signals:
    void OLEDragOver(QDragMoveEvent* event);
    void OLEDragDrop(QDropEvent* event);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class ViewportBox : public DropBox {
    Q_OBJECT

  public:
    explicit ViewportBox(QWidget* parent);

  signals:
    void KeyDown(int KeyCode, int Shift);
    // Also for moves over the image box, which passes them on; X and Y are the viewport's.
    void MouseMove(int X, int Y);
    void MouseLeave();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

// The image box is a rectangle of the viewport that may be far larger than any widget, so it
// keeps its place and size as 64-bit numbers and the widget covers only the part in view.
// It paints that part from gDib, or from the file's bytes decoded around the view when the
// picture is too large to hold or is in a direct format, at the magnifications of the last
// drawing.
class ImageBox : public DropBox {
    Q_OBJECT

  public:
    explicit ImageBox(ViewportBox* viewport);

    std::int64_t Left() const { return mLeft; }
    std::int64_t Top() const { return mTop; }
    std::int64_t Width() const { return mWidth; }
    std::int64_t Height() const { return mHeight; }
    bool Visible() const { return mVisible; }
    void SetLeft(std::int64_t left);
    void SetTop(std::int64_t top);
    void SetSize(std::int64_t width, std::int64_t height);
    void SetVisible(bool visible);

    // Shows gDib at these magnifications from now on; ClearPicture shows nothing.
    void DrawPicture(int magX, int magY);
    // Shows the picture that layout makes of data, decoding only what comes into view, gray16
    // spread over grey's range; data must stay as it is until the next drawing or clearing.
    void DrawBytes(const core::Layout& layout, core::ByteSpan data, core::Range16 grey, int magX,
                   int magY);
    void ClearPicture();
    const core::PictureRows& Rows() const { return mRows; }
    bool HasPicture() const { return mMagX > 0; }
    int MagX() const { return mMagX; }
    int MagY() const { return mMagY; }
    // The whole picture as drawn (checkerboard and greys included); null when it cannot be
    // held as one image.
    QImage Drawn() const;

    // Fits the widget to the part of the rectangle inside the viewport.
    void Place();

  signals:
    void Click();
    // What the box shows at a point of the viewport may have changed: it moved, or was drawn
    // or cleared.
    void Change();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::int64_t mLeft = 0;
    std::int64_t mTop = 0;
    std::int64_t mWidth = 1;
    std::int64_t mHeight = 1;
    bool mVisible = false;
    core::PictureRows mRows;
    int mMagX = 0;  // 0: no picture
    int mMagY = 0;
    bool mPressed = false;
};

}  // namespace rastel
