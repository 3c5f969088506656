#include "toolkit/ScrollBar.h"

#include <algorithm>

namespace rastel::toolkit {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    Apply();
}

void ScrollBar::SetMin(int min) {
    mMin = min;
    Apply();
}

void ScrollBar::SetMax(int max) {
    mMax = max;
    Apply();
}

void ScrollBar::Apply() {
    setRange(std::min(mMin, mMax), std::max(mMin, mMax));
    setInvertedAppearance(mMin > mMax);
    setInvertedControls(mMin > mMax);
}

}  // namespace rastel::toolkit
