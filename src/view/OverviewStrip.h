// The overview strip picSTRIP along the main window's right edge: the whole file from its first
// byte at the top to its last at the bottom, each pixel row an equal share of it, coloured by
// what its bytes are, with a frame around the rows that the view shows and a mark at its left
// edge beside the pictures found inside the file. Its Qt overrides only
// pass the pointer on as signals for the window's handlers.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <utility>
#include <vector>

#include "image/search/Overview.h"
#include "image/search/StripRows.h"

class QPainter;

namespace rastel {

class OverviewStrip : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 20;
    static constexpr int kMarkWidth = 4;

    explicit OverviewStrip(QWidget* parent);

    void SetOverview(core::Overview overview);
    void Clear();  // no picture: the strip shows nothing
    const core::Overview& Shown() const { return mOverview; }
    bool Empty() const { return mOverview.size() == 0; }

    // The bytes [first, end) that the view shows; the frame goes round their rows.
    void SetFrame(std::int64_t first, std::int64_t end);
    // The strip rows the frame covers, first and last; nothing while there is no frame.
    std::pair<int, int> FrameRows() const { return {mFrameTop, mFrameBottom}; }

    // The bytes of the pictures found, marked at the left edge; none clears the marks.
    void SetMarks(std::vector<core::ByteRange> marks);
    const std::vector<core::ByteRange>& Marks() const { return mMarks; }

    // The bytes that pixel row Y stands for.
    core::ByteRange RowBytes(int Y) const;

  signals:
    void MouseDown(int Y);
    // held: the left button is down, so the move is a drag.
    void MouseMove(int Y, bool held);
    void MouseLeave();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void DrawClasses();
    void DrawMarks(QPainter& painter);

    core::Overview mOverview;
    QImage mClasses;  // the rows' colours at the strip's size, drawn when either changes
    std::int64_t mFrameFirst = 0;
    std::int64_t mFrameEnd = 0;
    std::vector<core::ByteRange> mMarks;
    int mFrameTop = -1;
    int mFrameBottom = -1;
};

}  // namespace rastel
