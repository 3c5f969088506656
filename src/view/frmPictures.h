// Lists the pictures found inside the file, best first, for the user to go to one.
#pragma once

#include <functional>
#include <vector>

#include "image/search/PictureScan.h"
#include "toolkit/PickList.h"

namespace rastel {

class frmPictures : public toolkit::PickList {
    Q_OBJECT

  public:
    using Extract =
        std::function<void(QWidget* owner, const std::vector<core::PictureRegion>& regions)>;

    // regions must not be empty. extract writes out the regions selected when 書き出す is
    // pressed, its dialogs over this one, which stays open.
    frmPictures(QWidget* owner, const std::vector<core::PictureRegion>& regions, Extract extract);

    // Once accepted: the region picked.
    const core::PictureRegion& Chosen() const {
        return mRegions[static_cast<std::size_t>(ChosenRow())];
    }

    // The line that names a region: its start, its size in the format's pixels, the format
    // and the score.
    static QString Line(const core::PictureRegion& region);

  private:  // handlers
    void cmdEXTRACT_Click();

  private:
    void wireEvents();

    QPushButton* cmdEXTRACT = nullptr;
    std::vector<core::PictureRegion> mRegions;
    Extract mExtract;
};

}  // namespace rastel
