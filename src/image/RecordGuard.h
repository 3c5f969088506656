// An undo for the shown file: keeps a record's settings and palette, and the file's bytes once
// something else takes their place, and puts them all back when it goes unless the change it
// guards was committed. A load, the settings dialog and a new width take one each, so that
// however they end, the settings and the bytes on screen keep matching the picture.
#pragma once

#include <algorithm>
#include <iterator>

#include "image/RawBytes.h"
#include "image/modBITMAPinfo.h"

namespace rastel::modBITMAPinfo {

class RecordGuard {
  public:
    RecordGuard(DibImage& image, RawBytes& bytes)
        : mImage(image), mBytes(bytes), mSettings(image.settings) {
        std::copy(std::begin(image.bmiColors), std::end(image.bmiColors), std::begin(mPalette));
    }
    ~RecordGuard() {
        if (mCommitted) {
            return;
        }
        mImage.settings = mSettings;
        std::copy(std::begin(mPalette), std::end(mPalette), std::begin(mImage.bmiColors));
        if (mReplaced) {
            mBytes.swap(mOldBytes);
        }
    }
    RecordGuard(const RecordGuard&) = delete;
    RecordGuard& operator=(const RecordGuard&) = delete;

    // newBytes take the guarded bytes' place; the old ones wait here until the commit.
    void ReplaceBytes(RawBytes& newBytes) {
        mOldBytes.swap(newBytes);
        mBytes.swap(mOldBytes);
        mReplaced = true;
    }
    void Commit() { mCommitted = true; }

  private:
    DibImage& mImage;
    RawBytes& mBytes;
    ViewSettings mSettings;
    Palette mPalette = {};
    RawBytes mOldBytes;
    bool mReplaced = false;
    bool mCommitted = false;
};

}  // namespace rastel::modBITMAPinfo
