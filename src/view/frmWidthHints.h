// Lists the widths the data suggests, best first, for the user to pick one.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "image/search/WidthHints.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace rastel {

class frmWidthHints : public QDialog {
    Q_OBJECT

  public:
    // candidates must not be empty; the line of the current width and format (none: palette
    // indices) is marked.
    frmWidthHints(QWidget* owner, const std::vector<core::WidthCandidate>& candidates,
                  std::int64_t currentWidth, const core::PixelFormat* currentFormat);

    // Once accepted: the line picked.
    const core::WidthCandidate& Chosen() const { return mChosen; }

  private:  // handlers
    void cmdOK_Click();
    void lstWIDTH_DblClick(QListWidgetItem* item);

  private:
    void wireEvents();

    QLabel* lblWIDTH = nullptr;
    QListWidget* lstWIDTH = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCANCEL = nullptr;

    std::vector<core::WidthCandidate> mCandidates;
    core::WidthCandidate mChosen;
};

}  // namespace rastel
