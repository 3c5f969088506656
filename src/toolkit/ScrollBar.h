// A scroll bar whose minimum may lie above its maximum, as the main view's layout sets them
// for a picture smaller than the window; the position stays between the two either way.
#pragma once

#include <QScrollBar>

namespace rastel::toolkit {

class ScrollBar : public QScrollBar {
  public:
    explicit ScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    int Min() const { return mMin; }
    int Max() const { return mMax; }
    // Both clamp the position into the new range, which emits valueChanged when it moves.
    void SetMin(int min);
    void SetMax(int max);

  private:
    void Apply();

    int mMin = 0;
    int mMax = 32767;
};

}  // namespace rastel::toolkit
