#include "toolkit/ScrollBar.h"

#include <algorithm>

namespace rastel::toolkit {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    Apply();
}

void ScrollBar::SetMin(int min) {
    min_ = min;
    Apply();
}

void ScrollBar::SetMax(int max) {
    max_ = max;
    Apply();
}

void ScrollBar::Apply() {
    setRange(std::min(min_, max_), std::max(min_, max_));
    setInvertedAppearance(min_ > max_);
    setInvertedControls(min_ > max_);
}

}  // namespace rastel::toolkit
