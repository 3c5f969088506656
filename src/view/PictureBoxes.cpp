#include "view/PictureBoxes.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "image/pixels/modBITMAPinfo.h"
#include "toolkit/PictureDrawing.h"

namespace rastel {

int ShiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

DropBox::DropBox(QWidget* parent) : QWidget(parent) {
    setAcceptDrops(true);
}

void DropBox::dragEnterEvent(QDragEnterEvent* event) {
    emit OLEDragOver(event);
}

void DropBox::dragMoveEvent(QDragMoveEvent* event) {
    emit OLEDragOver(event);
}

void DropBox::dropEvent(QDropEvent* event) {
    emit OLEDragDrop(event);
}

ViewportBox::ViewportBox(QWidget* parent) : DropBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Dark);
}

void ViewportBox::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), ShiftState(event->modifiers()));
}

void ViewportBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseMove(at.x(), at.y());
}

// Also when a dialog closes over a pointer that has not moved since.
void ViewportBox::enterEvent(QEnterEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseMove(at.x(), at.y());
}

void ViewportBox::leaveEvent(QEvent*) {
    emit MouseLeave();
}

ImageBox::ImageBox(ViewportBox* viewport) : DropBox(viewport) {
    // Qt drops the pointer's moves over a widget that does not track it; this one takes them
    // only to leave them, unhandled, to the viewport.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QWidget::setVisible(false);
}

void ImageBox::SetLeft(std::int64_t left) {
    mLeft = left;
    Place();
}

void ImageBox::SetTop(std::int64_t top) {
    mTop = top;
    Place();
}

void ImageBox::SetSize(std::int64_t width, std::int64_t height) {
    mWidth = width;
    mHeight = height;
    Place();
}

void ImageBox::SetVisible(bool visible) {
    mVisible = visible;
    Place();
}

void ImageBox::DrawPicture(int magX, int magY) {
    mRows.ShowRecord(modBITMAPinfo::gDib);
    mMagX = magX;
    mMagY = magY;
    update();
    emit Change();
}

void ImageBox::DrawBytes(const core::Layout& layout, core::ByteSpan data, core::Range16 grey,
                         int magX, int magY) {
    mRows.ShowBytes(layout, data, grey);
    mMagX = magX;
    mMagY = magY;
    update();
    emit Change();
}

void ImageBox::ClearPicture() {
    mRows.Clear();
    mMagX = 0;
    mMagY = 0;
    update();
    emit Change();
}

QImage ImageBox::Drawn() const {
    if (!HasPicture() || !toolkit::FitsOneImage(mWidth, mHeight)) {
        return {};
    }
    // Rows of its own, so that decoding the whole picture leaves the view's rows be.
    core::PictureRows rows;
    if (mRows.FromRecord()) {
        rows.ShowRecord(modBITMAPinfo::gDib);
    } else {
        rows.ShowBytes(mRows.Layout(), mRows.Data(), mRows.GreyRange());
    }
    return toolkit::ExpandPicture(rows, modBITMAPinfo::gDib.bmiColors, mMagX, mMagY, 0, 0,
                                  static_cast<int>(mWidth), static_cast<int>(mHeight));
}

void ImageBox::Place() {
    const QWidget* viewport = parentWidget();
    const std::int64_t x0 = std::max<std::int64_t>(mLeft, 0);
    const std::int64_t y0 = std::max<std::int64_t>(mTop, 0);
    const std::int64_t x1 = std::min<std::int64_t>(mLeft + mWidth, viewport->width());
    const std::int64_t y1 = std::min<std::int64_t>(mTop + mHeight, viewport->height());
    if (!mVisible || x1 <= x0 || y1 <= y0) {
        QWidget::setVisible(false);
        emit Change();
        return;
    }
    const QRect part(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                     static_cast<int>(y1 - y0));
    if (geometry() != part) {
        setGeometry(part);
    } else {
        update();  // same part of the viewport, another part of the picture
    }
    QWidget::setVisible(true);
    emit Change();
}

void ImageBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect r = event->rect();
    if (!HasPicture()) {
        painter.fillRect(r, palette().color(QPalette::Base));
        return;
    }
    // Where this widget's corner lies in the magnified picture.
    const std::int64_t x0 = x() - mLeft;
    const std::int64_t y0 = y() - mTop;
    painter.drawImage(r.topLeft(),
                      toolkit::ExpandPicture(mRows, modBITMAPinfo::gDib.bmiColors, mMagX, mMagY,
                                             x0 + r.x(), y0 + r.y(), r.width(), r.height()));
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
    mPressed = event->button() == Qt::LeftButton;
}

void ImageBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = mPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    mPressed = false;
    if (click) {
        emit Click();
    }
}

}  // namespace rastel
