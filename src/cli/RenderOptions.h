// The command line of rastel-render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/pixels/PixelFormat.h"

namespace rastel::cli {

struct RenderOptions {
    std::int32_t depth = 0;  // depth index: 0 = 256, 1 = 16, 2 = 2 colours
    std::int32_t order = 0;
    std::optional<std::int64_t> width;  // defaults as the viewer gives a new file
    std::int64_t offset = 0;
    // Bytes of the file the picture shows, from the byte the offset starts it at: a part of the
    // file written alone. Nothing: the whole file, as the viewer shows it.
    std::optional<std::int64_t> length;
    std::int32_t palette = 0;  // palette choice: grey, thermo or binary
    // A direct format instead of depth, order and palette; its offset counts bytes.
    const core::PixelFormat* format = nullptr;
    std::int64_t stride = 0;  // with a format: bytes from one row's start to the next; 0: packed
    std::int64_t frameHeight = 0;  // with a format of planes: rows a frame; 0: the file one frame
    std::optional<std::string> output;  // "-" for standard output
    std::string file;
    bool suggestWidth = false;  // print the widths the data suggests instead of a picture
    bool overview = false;      // print the file's blocks and their classes instead
    bool findPictures = false;  // print the pictures found inside the file instead
    // With findPictures: write each picture found as a PNG in this folder instead of listing it.
    std::optional<std::string> extract;
    bool tables = false;                 // with extract: the tables found too
    std::optional<std::int64_t> blocks;  // how many blocks at most, for the overview
    bool help = false;
};

struct ParseResult {
    RenderOptions options;
    std::string error;  // empty when the command line was understood
};

// Reads the arguments after the program name. Checks everything that needs no file.
ParseResult ParseRenderOptions(const std::vector<std::string>& args);

std::string RenderUsage();

}  // namespace rastel::cli
