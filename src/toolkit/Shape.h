// A plain rectangle: filled in one colour, or hollow with a border. It takes no mouse
// events, so whatever lies below or above it receives them.
#pragma once

#include <QColor>
#include <QWidget>

namespace rastel::toolkit {

class Shape : public QWidget {
  public:
    explicit Shape(QWidget* parent = nullptr);

    // An invalid colour leaves the inside transparent.
    void setFillColor(const QColor& color);
    QColor fillColor() const { return mFill; }

    // A border of width pixels inside the rectangle; 0 for none.
    void setBorder(const QColor& color, int width);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor mFill;
    QColor mBorder;
    int mBorderWidth = 0;
};

}  // namespace rastel::toolkit
