#include "toolkit/Shape.h"

#include <QPainter>

namespace rastel::toolkit {

Shape::Shape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setFillColor(const QColor& color) {
    if (color != mFill) {
        mFill = color;
        update();
    }
}

void Shape::setBorder(const QColor& color, int width) {
    mBorder = color;
    mBorderWidth = width;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (mFill.isValid()) {
        painter.fillRect(rect(), mFill);
    }
    if (mBorderWidth > 0) {
        const int w = mBorderWidth;
        const QRect r = rect();
        painter.fillRect(QRect(r.left(), r.top(), r.width(), w), mBorder);
        painter.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), mBorder);
        painter.fillRect(QRect(r.left(), r.top(), w, r.height()), mBorder);
        painter.fillRect(QRect(r.right() - w + 1, r.top(), w, r.height()), mBorder);
    }
}

}  // namespace rastel::toolkit
