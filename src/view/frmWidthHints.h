// Lists the widths the data suggests, best first, for the user to pick one.
#pragma once

#include <cstdint>
#include <vector>

#include "image/search/WidthHints.h"
#include "toolkit/PickList.h"

namespace rastel {

class frmWidthHints : public toolkit::PickList {
    Q_OBJECT

  public:
    // candidates must not be empty; the line of the current width and format (none: palette
    // indices) is marked.
    frmWidthHints(QWidget* owner, const std::vector<core::WidthCandidate>& candidates,
                  std::int64_t currentWidth, const core::PixelFormat* currentFormat);

    // Once accepted: the line picked.
    const core::WidthCandidate& Chosen() const {
        return mCandidates[static_cast<std::size_t>(ChosenRow())];
    }

  private:
    std::vector<core::WidthCandidate> mCandidates;
};

}  // namespace rastel
