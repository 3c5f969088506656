#include "image/shown/RegionFile.h"

#include <cstdio>

#include "image/pixels/Layout.h"
#include "image/pixels/PaletteBuilder.h"

namespace rastel::core {

namespace {

Layout LayoutOf(const PictureRegion& r) {
    Layout l{&FormatOf(r), r.width, 0, r.start - GroupStart(r.start), 0};
    l.height = RowsFor(l, r.length, r.width);
    return l;
}

}  // namespace

const PixelFormat& FormatOf(const PictureRegion& region) {
    return region.format != nullptr ? *region.format : *IndexFormat(modBITMAPinfo::kDepth256, 0);
}

std::int64_t FrameRowsOf(const PictureRegion& region) {
    const Layout l = LayoutOf(region);
    return l.Colours().planar() ? l.height : 0;
}

std::string RegionFileName(const PictureRegion& region) {
    const Layout l = LayoutOf(region);
    char name[96];
    std::snprintf(name, sizeof name, "0x%08llx-%lldx%lld-%s.png",
                  static_cast<unsigned long long>(region.start), static_cast<long long>(l.width),
                  static_cast<long long>(l.height), std::string(l.format->name).c_str());
    return name;
}

Outcome WriteRegion(ByteSource& source, const PictureRegion& region, const std::string& path,
                    const WriteProgress& progress) {
    modBITMAPinfo::Palette grey;
    modBITMAPinfo::BuildPalette(grey, modBITMAPinfo::kPalGrey, modBITMAPinfo::kDepth256, grey);
    const std::int64_t begin = GroupStart(region.start);
    SliceSource part(source, begin, region.start + region.length - begin);
    return WritePicture(path, Picture::Streamed(LayoutOf(region), grey, part), progress);
}

}  // namespace rastel::core
