#include "view/OverviewStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

namespace rastel {

namespace {

using core::ByteClass;
using core::kClassCount;

// Dark for nothing, grey for fill, green for text, blue for the rest of the data (paler where
// its bytes vary less), red for what looks random: the kinds stand apart at a glance.
QRgb ClassColour(int c, double entropy) {
    switch (static_cast<ByteClass>(c)) {
        case ByteClass::Zero:
            return qRgb(24, 24, 24);
        case ByteClass::Uniform:
            return qRgb(150, 150, 150);
        case ByteClass::Text:
            return qRgb(60, 179, 90);
        case ByteClass::Random:
            return qRgb(215, 55, 40);
        case ByteClass::Data:
            break;
    }
    const double pale = 1 - std::clamp(entropy / 8, 0.0, 1.0);
    return qRgb(static_cast<int>(40 + 150 * pale), static_cast<int>(90 + 120 * pale), 215);
}

// The pixels of one row that each class takes: in proportion to its share, and at least one
// for any class present, so that no region of the file vanishes from the strip.
std::array<int, kClassCount> Widths(const core::ClassMix& mix, int width) {
    std::array<int, kClassCount> w{};
    int used = 0;
    int widest = 0;
    for (int c = 0; c < kClassCount; ++c) {
        const double share = mix.share[static_cast<std::size_t>(c)];
        w[c] = share > 0 ? std::max(1, static_cast<int>(std::floor(share * width))) : 0;
        used += w[c];
        widest = w[c] > w[widest] ? c : widest;
    }
    w[widest] += width - used;
    return w;
}

}  // namespace

OverviewStrip::OverviewStrip(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);  // the readout follows the pointer without a button held
    setFixedWidth(kWidth);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OverviewStrip::SetOverview(core::Overview overview) {
    mOverview = std::move(overview);
    DrawClasses();
    SetFrame(mFrameFirst, mFrameEnd);
}

void OverviewStrip::Clear() {
    mMarks.clear();
    SetOverview({});
}

void OverviewStrip::SetMarks(std::vector<core::ByteRange> marks) {
    mMarks = std::move(marks);
    update();
}

core::ByteRange OverviewStrip::RowBytes(int Y) const {
    const std::int64_t rows = std::max(1, height());
    return core::StripRowBytes(mOverview.size(), rows, std::clamp<std::int64_t>(Y, 0, rows - 1));
}

void OverviewStrip::SetFrame(std::int64_t first, std::int64_t end) {
    mFrameFirst = first;
    mFrameEnd = end;
    const std::int64_t size = mOverview.size();
    const std::int64_t rows = height();
    if (size == 0 || rows < 1 || end <= first) {
        mFrameTop = mFrameBottom = -1;
    } else {
        mFrameTop = static_cast<int>(core::StripRowOf(size, rows, first));
        mFrameBottom = static_cast<int>(core::StripRowOf(size, rows, end - 1));
    }
    update();
}

void OverviewStrip::DrawClasses() {
    mClasses = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    mClasses.fill(palette().color(QPalette::Window));
    if (Empty()) {
        return;
    }
    for (int y = 0; y < mClasses.height(); ++y) {
        const auto [first, end] = RowBytes(y);
        const core::ClassMix mix = mOverview.Mix(first, end);
        auto* line = reinterpret_cast<QRgb*>(mClasses.scanLine(y));
        int x = 0;
        const std::array<int, kClassCount> widths = Widths(mix, mClasses.width());
        for (int c = 0; c < kClassCount; ++c) {
            std::fill(line + x, line + x + widths[static_cast<std::size_t>(c)],
                      ClassColour(c, mix.entropy));
            x += widths[static_cast<std::size_t>(c)];
        }
    }
}

void OverviewStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, mClasses);
    DrawMarks(painter);
    if (mFrameTop < 0) {
        return;
    }
    // Two outlines, light inside dark, so that the frame shows on any colour; at least a few
    // rows tall, so that a view of a few bytes of a large file is still found.
    const int bottom = std::min(std::max(mFrameBottom, mFrameTop + 3), height() - 1);
    const int top = std::max(0, std::min(mFrameTop, bottom - 3));
    const QRect frame(0, top, width() - 1, bottom - top);
    painter.setPen(QColor(0, 0, 0));
    painter.drawRect(frame);
    painter.setPen(QColor(255, 230, 0));
    painter.drawRect(frame.adjusted(1, 1, -1, -1));
}

// A bar at the left edge beside each picture's rows, magenta on a dark edge so that it stands
// apart from every class's colour; at least a few rows tall, as the frame is.
void OverviewStrip::DrawMarks(QPainter& painter) {
    const std::int64_t size = mOverview.size();
    const int rows = height();
    if (size == 0 || rows < 1) {
        return;
    }
    for (const core::ByteRange& m : mMarks) {
        const auto top = static_cast<int>(
            core::StripRowOf(size, rows, std::clamp<std::int64_t>(m.begin, 0, size - 1)));
        const auto bottom =
            std::max(top + 2, static_cast<int>(core::StripRowOf(
                                  size, rows, std::clamp<std::int64_t>(m.end - 1, 0, size - 1))));
        painter.fillRect(QRect(0, top, kMarkWidth + 1, bottom - top + 1), QColor(0, 0, 0));
        painter.fillRect(QRect(0, top, kMarkWidth, bottom - top + 1), QColor(255, 0, 255));
    }
}

void OverviewStrip::resizeEvent(QResizeEvent*) {
    DrawClasses();
    SetFrame(mFrameFirst, mFrameEnd);
}

void OverviewStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit MouseDown(event->position().toPoint().y());
    }
}

void OverviewStrip::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->position().toPoint().y(), event->buttons() & Qt::LeftButton);
}

void OverviewStrip::leaveEvent(QEvent*) {
    emit MouseLeave();
}

}  // namespace rastel
