// A redraw on trial: puts new settings, a palette and a file's bytes into the record at once,
// and what they replaced back when the guard goes, unless the redraw was kept. However a
// redraw ends short of that, the settings and bytes keep matching the picture on screen.
#pragma once

#include <algorithm>
#include <iterator>
#include <utility>

#include "image/base/RawBytes.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::modBITMAPinfo {

class RecordGuard {
  public:
    RecordGuard(DibImage& image, SharedBytes& bytes, const ViewChoice& next, SharedBytes nextBytes)
        : mImage(image),
          mBytes(bytes),
          mBefore(ChoiceOf(image)),
          mBytesBefore(std::exchange(bytes, std::move(nextBytes))) {
        image.settings = next.settings;
        std::copy(std::begin(next.palette), std::end(next.palette), std::begin(image.bmiColors));
    }
    ~RecordGuard() {
        if (!mKept) {
            mImage.settings = mBefore.settings;
            std::copy(std::begin(mBefore.palette), std::end(mBefore.palette),
                      std::begin(mImage.bmiColors));
            mBytes = std::move(mBytesBefore);
        }
    }
    RecordGuard(const RecordGuard&) = delete;
    RecordGuard& operator=(const RecordGuard&) = delete;

    void Keep() { mKept = true; }

  private:
    DibImage& mImage;
    SharedBytes& mBytes;
    ViewChoice mBefore;
    SharedBytes mBytesBefore;
    bool mKept = false;
};

}  // namespace rastel::modBITMAPinfo
