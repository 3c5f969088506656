// PNG output lives in a plug-in that rastel-render loads only when a PNG is asked for, so
// BMP runs do not pay for loading Qt.
#pragma once

#include <string>

#include "image/ByteSource.h"
#include "image/PixelDecoder.h"

namespace rastel::cli {

struct PngJob {
    std::string path;
    modBITMAPinfo::DecodeLayout layout;
    const modBITMAPinfo::Palette* palette = nullptr;
    modBITMAPinfo::ByteSource* source = nullptr;
    std::string error;  // set when the write fails
};

using WritePngFunction = bool (*)(PngJob& job);
constexpr const char* kPngPluginFile = "librastel_png.so";
constexpr const char* kPngPluginSymbol = "RastelWritePng";

// Loads the plug-in from beside the running executable; nullptr, with error set, if it can't.
WritePngFunction LoadPngWriter(std::string& error);

}  // namespace rastel::cli
