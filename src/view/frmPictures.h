// Lists the pictures found inside the file, best first, for the user to go to one.
#pragma once

#include <vector>

#include "image/search/PictureScan.h"
#include "toolkit/PickList.h"

namespace rastel {

class frmPictures : public toolkit::PickList {
    Q_OBJECT

  public:
    // regions must not be empty.
    frmPictures(QWidget* owner, const std::vector<core::PictureRegion>& regions);

    // Once accepted: the region picked.
    const core::PictureRegion& Chosen() const {
        return mRegions[static_cast<std::size_t>(ChosenRow())];
    }

    // The line that names a region: its start, its size in the format's pixels, the format
    // and the score.
    static QString Line(const core::PictureRegion& region);

  private:
    std::vector<core::PictureRegion> mRegions;
};

}  // namespace rastel
