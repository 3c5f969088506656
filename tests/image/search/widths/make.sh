#!/usr/bin/env bash
# Rebuilds the width corpus from Debian packages (run as root on Debian 12, with ImageMagick):
# photographs from python3-skimage, an icon from adwaita-icon-theme, the magic table of
# libmagic-mgc, the dynamic symbols of libqt6core6 and dpkg's compressed changelog. Each file
# is a small crop.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
apt-get download python3-skimage >/dev/null 2>&1
dpkg -x python3-skimage_*.deb sk
d=sk/usr/lib/python3/dist-packages/skimage/data
icon=/usr/share/icons/Adwaita/512x512/devices/camera-web.png
# convert IN OPERATIONS... OUT, the crop made the whole picture.
raw() { convert "${@:1:$#-1}" +repage "${@: -1}"; }

# 8-bit grey, one byte a pixel.
raw $d/camera.png -crop 300x110+100+60 -depth 8 gray:"$out/grey-camera-300.raw"
raw $d/moon.png -crop 257x120+120+200 -depth 8 gray:"$out/grey-moon-257.raw"
raw $d/coins.png -crop 384x80+0+100 -depth 8 gray:"$out/grey-coins-384.raw"
# 16-bit grey samples, both byte orders, odd and even counts a row: shrunk photographs, so
# that the low bytes carry real values.
raw $d/camera.png -resize 211x -crop 211x70+0+60 -depth 16 -endian LSB gray:"$out/s16le-camera-211.raw"
raw $d/moon.png -resize 211x -crop 211x70+0+80 -depth 16 -endian MSB gray:"$out/s16be-moon-211.raw"
raw $d/coins.png -resize 212x -crop 212x70+0+40 -depth 16 -endian LSB gray:"$out/s16le-coins-212.raw"
raw $d/camera.png -resize 212x -crop 212x70+0+100 -depth 16 -endian MSB gray:"$out/s16be-camera-212.raw"
# 24-bit RGB and 32-bit RGBA rows.
raw $d/coffee.png -crop 600x20+0+150 -depth 8 rgb:"$out/rgb-coffee-600.raw"
raw $d/chelsea.png -crop 151x70+150+100 -depth 8 rgb:"$out/rgb-chelsea-151.raw"
raw $d/coffee.png -resize 640x -crop 640x18+0+120 -depth 8 rgba:"$out/rgba-coffee-640.raw"
raw $d/astronaut.png -crop 150x60+200+100 -depth 8 rgba:"$out/rgba-astronaut-150.raw"
raw $icon -resize 128x -crop 128x70+0+30 -depth 8 rgba:"$out/rgba-icon-128.raw"
# BMP files whose rows are padded to 4 bytes: 603 bytes of pixels in rows of 604.
raw $d/chelsea.png -crop 201x50+100+80 -type TrueColor BMP3:"$out/bmp24-chelsea-201.bmp"
raw $d/camera.png -crop 198x150+200+200 -type Grayscale -depth 8 -compress None BMP3:"$out/bmp8-camera-198.bmp"
# A scanned page at one bit a pixel, most significant bit first.
raw $d/page.png -threshold 55% -depth 1 gray:"$out/bits-page-384.raw"
raw $d/text.png -threshold 50% -depth 1 gray:"$out/bits-text-448.raw"
# 16 grey levels, two pixels a byte, the left one in the high nibble.
raw $d/camera.png -crop 250x200+150+150 -depth 8 gray:cam8
python3 - cam8 "$out/nibbles-camera-250.raw" <<'PY'
import sys
a = open(sys.argv[1], 'rb').read()
open(sys.argv[2], 'wb').write(bytes(a[i] >> 4 << 4 | a[i + 1] >> 4 for i in range(0, len(a), 2)))
PY
# Fixed-size records: entries of 376 bytes of the compiled magic table, and 24-byte ELF
# symbols.
dd if=/usr/share/misc/magic.mgc of="$out/records-magic-376.bin" bs=376 skip=400 count=90 status=none
objcopy -O binary --only-section=.dynsym /usr/lib/x86_64-linux-gnu/libQt6Core.so.6 dynsym
dd if=dynsym of="$out/records-dynsym-24.bin" bs=24 skip=2000 count=1200 status=none
# Compressed bytes, which have no rows: 4 KiB from inside a gzip stream.
dd if=/usr/share/doc/dpkg/changelog.gz of="$out/gzip-dpkg-changelog.bin" bs=1024 skip=4 count=4 status=none
