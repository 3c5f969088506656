#include "cli/RenderOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "image/pixels/modBITMAPinfo.h"
#include "image/rules/FieldRules.h"
#include "image/search/Overview.h"

namespace rastel::cli {

namespace {

enum class Number { kWhole, kNotWhole, kTooLarge };

// A whole number, or a whole number too large to hold, or anything else.
Number ParseInt(const std::string& text, std::int64_t& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ptr != end || text.empty()) {
        return Number::kNotWhole;
    }
    return ec == std::errc::result_out_of_range ? Number::kTooLarge
           : ec == std::errc()                  ? Number::kWhole
                                                : Number::kNotWhole;
}

// What the listings use of the options: --overview nothing but its blocks, --suggest-width the
// depth and order, --find-pictures nothing. Each picture option given with them would go
// unread.
struct Listing {
    const char* option;
    std::vector<const char*> unread;
};
// A direct format has no use for the depth, order and palette either.
const Listing kListings[] = {
    {"--overview",
     {"--suggest-width", "--depth", "--order", "--width", "--offset", "--length", "--palette", "-o",
      "--format", "--stride", "--frame-height"}},
    {"--suggest-width",
     {"--width", "--offset", "--length", "--palette", "-o", "--stride", "--frame-height"}},
    {"--format", {"--depth", "--order", "--palette"}},
    {"--find-pictures",
     {"--overview", "--suggest-width", "--depth", "--order", "--width", "--offset", "--length",
      "--palette", "-o", "--format", "--stride", "--frame-height"}},
};

// The first option given that a listing given leaves unread, with that listing.
std::string Clash(const std::vector<std::string>& given) {
    for (const std::string& option : given) {
        for (const Listing& listing : kListings) {
            if (std::find(given.begin(), given.end(), listing.option) != given.end() &&
                std::find(listing.unread.begin(), listing.unread.end(), option) !=
                    listing.unread.end()) {
                return option + " does not go with " + listing.option;
            }
        }
    }
    return {};
}

}  // namespace

std::string RenderUsage() {
    return "Usage: rastel-render [OPTION]... FILE\n"
           "Lays out the bytes of FILE as pixels and writes the picture as an 8-bit BMP, or\n"
           "with --format as a BMP of colours.\n"
           "\n"
           "  --depth 256|16|2    bits of the file per pixel: 8 (256 colours, the default),\n"
           "                      4 (16 colours) or 1 (2 colours)\n"
           "  --order N           the order bytes, nibbles or bits are taken in (default 0):\n"
           "                        256 colours: 0 as stored, 1 pairs swapped (2121),\n"
           "                                     2 groups of four reversed (4321)\n"
           "                        16 colours:  0 high nibble first, 1 low nibble first,\n"
           "                                     2 per byte pair: 2nd low, 2nd high, 1st low,\n"
           "                                     1st high\n"
           "                        2 colours:   0 most significant bit first, 1 least\n"
           "  --width N           pixels per row, 1 to the pixel count (default 128, or the\n"
           "                      file size when smaller); the height follows\n"
           "  --offset N          start the picture N pixels into the file (N bytes with\n"
           "                      --format); negative moves it earlier, filling with 0\n"
           "                      (|N| below 2130706431, or further with --length)\n"
           "  --length BYTES      with --offset: the picture of those bytes of the file\n"
           "                      alone, from the byte the offset starts at, as a picture\n"
           "                      found inside it is written; any file size\n"
           "  --palette NAME      grey (default), thermo or binary\n"
           "  --format NAME       bytes that hold colours, instead of --depth, --order and\n"
           "                      --palette: rgb24 bgr24 rgb0 bgr0 rgba bgra argb abgr\n"
           "                      rgb565le rgb565be bgr565le rgb555le gray16le gray16be\n"
           "                      yuyv422 uyvy422; YUV in planes, a frame its Y, then its\n"
           "                      U and V: yuv420p yv12 yuv422p yuv444p yuv411p nv12 nv21\n"
           "                      nv16 nv24 yuv420p10le yuv422p10le p010le p016le; rgb48le\n"
           "                      rgb48be rgba64le rgba64be gray10le gray12le; colour\n"
           "                      mosaics, shown demosaiced: bayer_rggb8 bayer_bggr8\n"
           "                      bayer_grbg8 bayer_gbrg8 bayer_rggb16le bayer_bggr16le\n"
           "                      bayer_grbg16le bayer_gbrg16le. Written as a BMP of 24\n"
           "                      bits per pixel, 32 with alpha, or 8-bit grey from the\n"
           "                      grey values' smallest to their largest; a PNG holds 8-bit\n"
           "                      RGB, RGBA, the 16-bit samples of rgb48 and rgba64, or\n"
           "                      the grey values at 16 bits (10 and 12 bits widened).\n"
           "                      --width counts its pixels (default 128, or the pixels the\n"
           "                      file holds when fewer; a mosaic needs 2)\n"
           "  --stride BYTES      with --format: bytes from one row's start to the next, at\n"
           "                      least a row's; the rest of each is skipped (default 0: rows\n"
           "                      packed; with a stride the width defaults to what fills it).\n"
           "                      With planes, the luma's rows; chroma rows take it over\n"
           "                      their subsampling\n"
           "  --frame-height ROWS with a format of planes: the rows of each frame, whose\n"
           "                      planes follow its Y; the frames are shown one under\n"
           "                      another (default: the whole file one frame)\n"
           "  -o OUT              where to write: OUT ending in .png writes a PNG, - writes\n"
           "                      the BMP to standard output; default FILE.bmp\n"
           "  --suggest-width     print up to 8 widths at which the data falls into rows, one\n"
           "                      per line (width in pixels at --depth, a score from 0 to 1,\n"
           "                      and the bytes of the values the data is made of, 1 when\n"
           "                      none was found), best first; with a YUV --format, then\n"
           "                      the frame sizes of video whose frames fill the file, as\n"
           "                      WIDTHxHEIGHT, a score, the format and the size's name\n"
           "                      (176x144 0.948 nv12 QCIF); no picture is written, so it\n"
           "                      takes no --width, --offset, --palette or -o\n"
           "  --overview          print the file in blocks, one per line: offset (hexadecimal),\n"
           "                      length, entropy in bits per byte and class (zero, uniform,\n"
           "                      text, random or data); no picture is written, and of the\n"
           "                      other options it takes only --blocks\n"
           "  --find-pictures     print the pictures found inside the file, one per line, best\n"
           "                      first, then the tables of records: offset (hexadecimal),\n"
           "                      length, row length in bytes, bytes per element, format\n"
           "                      (- for palette indices), width in pixels of that format, a\n"
           "                      score from 0 to 1 and picture or table; no picture is\n"
           "                      written, and it takes no other option but\n"
           "  --extract DIR       with --find-pictures: write each picture found as a PNG in\n"
           "                      DIR, in its format (8-bit grey for palette indices) and\n"
           "                      width, named by its start, size and format\n"
           "                      (0x01325cb0-1024x768-bgr0.png), printing each name\n"
           "  --tables            with --extract: the tables too, a record a row\n"
           "  --blocks N          with --overview: at most N blocks of equal size, 1 to 65536\n"
           "                      (default 256), never more than the file has bytes\n"
           "  --help              show this help\n"
           "\n"
           "The BMP is byte for byte what the viewer's export writes for the same settings.\n";
}

ParseResult ParseRenderOptions(const std::vector<std::string>& args) {
    ParseResult result;
    RenderOptions& o = result.options;
    std::string orderText;  // as typed, for the message when it is not in the depth's list
    std::string offsetText;
    auto fail = [&result](std::string message) {
        result.error = std::move(message);
        return result;
    };
    std::vector<std::string> given;  // the options, in the order given
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        std::int64_t n = 0;
        auto number = [&]() { return value(v) ? ParseInt(v, n) : Number::kNotWhole; };
        if (arg.size() > 1 && arg[0] == '-') {
            given.push_back(arg);
        }
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--suggest-width") {
            o.suggestWidth = true;
        } else if (arg == "--overview") {
            o.overview = true;
        } else if (arg == "--find-pictures") {
            o.findPictures = true;
        } else if (arg == "--extract") {
            if (!value(v) || v.empty())
                return fail("--extract needs a folder");
            o.extract = v;
        } else if (arg == "--tables") {
            o.tables = true;
        } else if (arg == "--blocks") {
            const Number read = number();
            if (read == Number::kNotWhole)
                return fail("--blocks needs a whole number");
            if (read == Number::kTooLarge || n < 1 || n > core::kMaxOverviewBlocks)
                return fail("blocks " + v + " is out of range: 1 to " +
                            std::to_string(core::kMaxOverviewBlocks));
            o.blocks = n;
        } else if (arg == "--depth") {
            if (!value(v))
                return fail("--depth needs a value: 256, 16 or 2");
            if (v == "256")
                o.depth = modBITMAPinfo::kDepth256;
            else if (v == "16")
                o.depth = modBITMAPinfo::kDepth16;
            else if (v == "2")
                o.depth = modBITMAPinfo::kDepth2;
            else
                return fail("unknown depth '" + v + "': use 256, 16 or 2");
        } else if (arg == "--order") {
            const Number read = number();
            if (read == Number::kNotWhole)
                return fail("--order needs a whole number");
            // Too large or not, a number outside 0 to 9 is no order of any depth.
            o.order =
                read == Number::kTooLarge || n < 0 || n > 9 ? -1 : static_cast<std::int32_t>(n);
            orderText = v;
        } else if (arg == "--width") {
            const Number read = number();
            if (read == Number::kNotWhole)
                return fail("--width needs a whole number");
            if (read == Number::kTooLarge)
                return fail("width " + v + " is out of range: 1 to the file's pixel count");
            o.width = n;
        } else if (arg == "--offset") {
            const Number read = number();
            if (read == Number::kNotWhole)
                return fail("--offset needs a whole number");
            // Further into the file with --length, which the end checks.
            if (read == Number::kTooLarge || n <= -fieldRules::kOffsetLimit) {
                return fail("offset " + v + " is out of range: its absolute value must be below " +
                            std::to_string(fieldRules::kOffsetLimit));
            }
            o.offset = n;
            offsetText = v;
        } else if (arg == "--length") {
            const Number read = number();
            if (read == Number::kNotWhole)
                return fail("--length needs a whole number");
            if (read == Number::kTooLarge || n < 1)
                return fail("length " + v + " is out of range: 1 to the bytes after the offset");
            o.length = n;
        } else if (arg == "--format") {
            if (!value(v))
                return fail("--format needs a value: one of " + core::FormatNames(", "));
            if ((o.format = core::FindFormat(v)) == nullptr)
                return fail("unknown format '" + v + "': use one of " + core::FormatNames(", "));
        } else if (arg == "--stride") {
            const Number read = number();
            if (read == Number::kNotWhole)
                return fail("--stride needs a whole number");
            if (read == Number::kTooLarge || n < 0 || n > core::kMaxStride)
                return fail("stride " + v + " is out of range: 0 to " +
                            std::to_string(core::kMaxStride));
            o.stride = n;
        } else if (arg == "--frame-height") {
            const Number read = number();
            if (read == Number::kNotWhole)
                return fail("--frame-height needs a whole number");
            if (read == Number::kTooLarge || n < 1 || n > core::kMaxStride)
                return fail("frame height " + v + " is out of range: 1 to " +
                            std::to_string(core::kMaxStride) + " rows");
            o.frameHeight = n;
        } else if (arg == "--palette") {
            if (!value(v))
                return fail("--palette needs a value: grey, thermo or binary");
            if (v == "grey" || v == "gray")
                o.palette = modBITMAPinfo::kPalGrey;
            else if (v == "thermo")
                o.palette = modBITMAPinfo::kPalThermo;
            else if (v == "binary")
                o.palette = modBITMAPinfo::kPalBinary;
            else
                return fail("unknown palette '" + v + "': use grey, thermo or binary");
        } else if (arg == "-o") {
            if (!value(v) || v.empty())
                return fail("-o needs a file name, or - for standard output");
            o.output = v;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return fail("unknown option '" + arg + "' (see --help)");
        } else if (o.file.empty()) {
            o.file = arg;
        } else {
            return fail("only one FILE can be rendered at a time");
        }
    }
    if (o.help) {
        return result;
    }
    if (o.file.empty()) {
        return fail("no FILE given (see --help)");
    }
    if (o.offset >= fieldRules::kOffsetLimit && !o.length) {
        return fail("offset " + offsetText + " is out of range: its absolute value must be below " +
                    std::to_string(fieldRules::kOffsetLimit) + ", or give --length");
    }
    if (o.extract && !o.findPictures) {
        return fail("--extract goes with --find-pictures");
    }
    if (o.tables && !o.extract) {
        return fail("--tables goes with --extract");
    }
    if (o.blocks && !o.overview) {
        return fail("--blocks goes with --overview");
    }
    if (!o.format && std::find(given.begin(), given.end(), "--stride") != given.end()) {
        return fail("--stride goes with --format");
    }
    if (std::find(given.begin(), given.end(), "--frame-height") != given.end() &&
        (!o.format || o.format->family != core::FormatFamily::Planar)) {
        return fail(o.format
                        ? "--frame-height does not go with --format " +
                              std::string(o.format->name) + ": only formats with planes have frames"
                        : "--frame-height goes with --format");
    }
    if (const std::string clash = Clash(given); !clash.empty()) {
        return fail(clash);
    }
    if (o.format && o.format->family == core::FormatFamily::Bayer && o.width && *o.width < 2) {
        return fail("width " + std::to_string(*o.width) + " is out of range: a mosaic of " +
                    std::string(o.format->name) + " needs rows of 2 pixels at least");
    }
    // A row must fit its stride, whatever the file: the width given, or at least one pixel.
    if (o.format && !core::CheckStride(*o.format, o.width.value_or(1), o.stride).ok()) {
        const std::string bytes = std::to_string(o.format->bytes);
        const std::string name(o.format->name);
        return fail("stride " + std::to_string(o.stride) + " is smaller than " +
                    (o.width ? "a row of " + std::to_string(*o.width) + " pixels of " + name +
                                   ", " + bytes + " bytes each"
                             : "a pixel of " + name + ", " + bytes + " bytes"));
    }
    const std::int32_t orders = modBITMAPinfo::OrderCount(o.depth);
    if (o.order < 0 || o.order >= orders) {
        static const char* const kDepthNames[] = {"256", "16", "2"};
        return fail("order " + orderText + " is not one of the orders of " + kDepthNames[o.depth] +
                    " colours (0 to " + std::to_string(orders - 1) + ")");
    }
    return result;
}

}  // namespace rastel::cli
