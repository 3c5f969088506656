#include "view/PictureBoxes.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "image/modBITMAPinfo.h"
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
    left_ = left;
    Place();
}

void ImageBox::SetTop(std::int64_t top) {
    top_ = top;
    Place();
}

void ImageBox::SetSize(std::int64_t width, std::int64_t height) {
    width_ = width;
    height_ = height;
    Place();
}

void ImageBox::SetVisible(bool visible) {
    visible_ = visible;
    Place();
}

void ImageBox::DrawPicture(int magX, int magY) {
    rows_.ShowRecord(modBITMAPinfo::gDib);
    magX_ = magX;
    magY_ = magY;
    update();
    emit Change();
}

void ImageBox::DrawOnDemand(const modBITMAPinfo::DecodeLayout& layout, modBITMAPinfo::ByteSpan data,
                            int magX, int magY) {
    rows_.ShowBytes(layout, data);
    magX_ = magX;
    magY_ = magY;
    update();
    emit Change();
}

void ImageBox::ClearPicture() {
    rows_.Clear();
    magX_ = 0;
    magY_ = 0;
    update();
    emit Change();
}

QImage ImageBox::Drawn() const {
    if (!HasPicture() || !toolkit::FitsOneImage(width_, height_)) {
        return {};
    }
    // Rows of its own, so that decoding the whole picture leaves the view's rows be.
    modBITMAPinfo::PictureRows rows;
    if (rows_.FromRecord()) {
        rows.ShowRecord(modBITMAPinfo::gDib);
    } else {
        rows.ShowBytes(rows_.Layout(), rows_.Data());
    }
    return toolkit::ExpandIndexed(rows, modBITMAPinfo::gDib.bmiColors, magX_, magY_, 0, 0,
                                  static_cast<int>(width_), static_cast<int>(height_));
}

void ImageBox::Place() {
    const QWidget* viewport = parentWidget();
    const std::int64_t x0 = std::max<std::int64_t>(left_, 0);
    const std::int64_t y0 = std::max<std::int64_t>(top_, 0);
    const std::int64_t x1 = std::min<std::int64_t>(left_ + width_, viewport->width());
    const std::int64_t y1 = std::min<std::int64_t>(top_ + height_, viewport->height());
    if (!visible_ || x1 <= x0 || y1 <= y0) {
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
    const std::int64_t x0 = x() - left_;
    const std::int64_t y0 = y() - top_;
    painter.drawImage(r.topLeft(),
                      toolkit::ExpandIndexed(rows_, modBITMAPinfo::gDib.bmiColors, magX_, magY_,
                                             x0 + r.x(), y0 + r.y(), r.width(), r.height()));
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void ImageBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) {
        emit Click();
    }
}

}  // namespace rastel
