#!/usr/bin/env bash
# Rebuilds the picture corpus from Debian packages (run as root on Debian 12, with ImageMagick
# and binutils): photographs from python3-skimage, an icon from adwaita-icon-theme, machine
# code from the .text of libQt6Core, compressed bytes from inside dpkg's and GnuTLS's
# changelog.gz, text from cmake-data's copyright. Each picture is a small crop laid out raw in
# one format and put at a start that is no multiple of its row inside those bytes.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
apt-get download python3-skimage >/dev/null 2>&1
dpkg -x python3-skimage_*.deb sk
d=sk/usr/lib/python3/dist-packages/skimage/data
icon=/usr/share/icons/Adwaita/512x512/devices/camera-web.png
raw() { convert "${@:1:$#-1}" +repage "${@: -1}"; }

objcopy -O binary --only-section=.text /usr/lib/x86_64-linux-gnu/libQt6Core.so.6 code
cp /usr/share/doc/dpkg/changelog.gz gz1
cp /usr/share/doc/libgnutls30/changelog.gz gz2
cat /usr/share/doc/cmake-data/copyright /usr/share/doc/cmake-data/copyright > text

# Pictures, one format each (rgb565le and gray16 are packed by the script below).
raw $d/camera.png -resize 240x -crop 240x100+0+40 -depth 8 gray:camera-grey
raw $d/coffee.png -resize 150x -crop 150x64+0+20 -depth 8 rgb:coffee-rgb24
raw $d/astronaut.png -resize 96x -crop 96x72+0+0 -depth 8 bgra:astronaut-bgra
raw $d/chelsea.png -resize 128x -crop 128x96+0+0 -depth 8 rgb:chelsea-rgb
raw $d/moon.png -resize 160x -crop 160x80+0+40 -depth 16 -endian LSB gray:moon-gray16le
raw $icon -resize 64x64 -depth 8 bgra:icon-bgra
raw $d/coins.png -resize 200x -crop 200x90+0+10 -depth 8 gray:coins-grey
raw $d/camera.png -resize 140x -crop 140x60+0+30 -depth 16 -endian MSB gray:camera-gray16be
raw $d/coins.png -resize 512x -crop 512x64+0+40 -depth 8 gray:coins-grey-512
raw $d/coffee.png -resize 256x -crop 256x48+0+60 -depth 8 rgb:coffee-rgb24-768
# convert writes the frame whole, then exits 1
raw $d/coffee.png -resize 256x -crop 256x96+0+40 -sampling-factor 4:2:0 -interlace plane -depth 8 yuv:coffee-yuv420p || test -s coffee-yuv420p
raw $d/chelsea.png -resize 256x -crop 256x96+0+40 -depth 8 rgb:chelsea-rgb-256
raw $d/astronaut.png -resize 128x -crop 128x80+0+20 -depth 16 -endian LSB rgb:astronaut-rgb48le

python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
def part(name, at, n):
    return open(name, 'rb').read()[at:at + n]
def records(n):
    # A table of 16-byte records as a heap holds them: a size word, then a pointer that
    # steps from one record to the next.
    import random, struct
    random.seed(16)
    return b''.join(struct.pack('<IIQ', random.choice((0x21, 0x31)), 0, 0x55d0c0a00000 + 0x30 * i)
                    for i in range(n))
def nv12(yuv, w, h):
    # The U and V planes of a yuv420p frame, interleaved in pairs.
    u = yuv[w * h:w * h * 5 // 4]
    v = yuv[w * h * 5 // 4:]
    return yuv[:w * h] + bytes(b for pair in zip(u, v) for b in pair)
def deep(planes):
    # 8-bit samples as the 10 bits of little-endian words: v << 2.
    return b''.join((v << 2).to_bytes(2, 'little') for v in planes)
def p010(yuv, w, h):
    # A yuv420p frame's samples as the high 10 bits of little-endian words, its U and V in pairs.
    return deep_high(nv12(yuv, w, h))
def deep_high(planes):
    return b''.join((v << 8).to_bytes(2, 'little') for v in planes)
def bayer_rggb8(rgb, w):
    # Each site keeps the channel its place in the mosaic names.
    return bytes(rgb[3 * i + (0 if (i // w) % 2 == 0 and i % 2 == 0 else
                              2 if (i // w) % 2 == 1 and i % 2 == 1 else 1)]
                 for i in range(len(rgb) // 3))
def bayer16(mosaic):
    # 8-bit sites as the 12 bits of little-endian words, their 4 low bits noise.
    import random
    random.seed(12)
    return b''.join(((v << 4) | random.getrandbits(4)).to_bytes(2, 'little') for v in mosaic)
def rgb565le(rgb):
    b = bytearray()
    for i in range(0, len(rgb), 3):
        v = (rgb[i] >> 3) << 11 | (rgb[i + 1] >> 2) << 5 | rgb[i + 2] >> 3
        b += bytes((v & 255, v >> 8))
    return bytes(b)
pictures = {
    'camera-grey': part('camera-grey', 0, 1 << 30),
    'coffee-rgb24': part('coffee-rgb24', 0, 1 << 30),
    'astronaut-bgra': part('astronaut-bgra', 0, 1 << 30),
    'chelsea-rgb565le': rgb565le(part('chelsea-rgb', 0, 1 << 30)),
    'moon-gray16le': part('moon-gray16le', 0, 1 << 30),
    'icon-bgra': part('icon-bgra', 0, 1 << 30),
    'coins-grey': part('coins-grey', 0, 1 << 30),
    'camera-gray16be': part('camera-gray16be', 0, 1 << 30),
    'coins-grey-512': part('coins-grey-512', 0, 1 << 30),
    'coffee-rgb24-768': part('coffee-rgb24-768', 0, 1 << 30),
    'records-16': records(2048),
    'coffee-yuv420p': part('coffee-yuv420p', 0, 1 << 30),
    'coffee-nv12': nv12(part('coffee-yuv420p', 0, 1 << 30), 256, 96),
    'chelsea-bayer-rggb8': bayer_rggb8(part('chelsea-rgb-256', 0, 1 << 30), 256),
    'astronaut-rgb48le': part('astronaut-rgb48le', 0, 1 << 30),
    'coffee-yuv420p10le': deep(part('coffee-yuv420p', 0, 1 << 30)),
    'coffee-p010le': p010(part('coffee-yuv420p', 0, 1 << 30), 256, 96),
    'chelsea-bayer-rggb16le': bayer16(bayer_rggb8(part('chelsea-rgb-256', 0, 1 << 30), 256)),
}
# Each file: pieces of filler bytes and pictures, in order.
files = {
    'grey-camera-240-in-code.bin': [('code', 200001, 9001), 'camera-grey', ('code', 400003, 6000)],
    'rgb24-coffee-450-in-gzip.bin': [('gz1', 20011, 7013), 'coffee-rgb24', ('gz1', 90000, 5000)],
    'bgra-astronaut-384-in-text.bin': [('text', 1001, 6007), 'astronaut-bgra', ('text', 20000, 5000)],
    'rgb565le-chelsea-256-in-code.bin': [('code', 700005, 8003), 'chelsea-rgb565le', ('code', 900000, 4000)],
    'gray16le-moon-320-in-gzip.bin': [('gz2', 10003, 5005), 'moon-gray16le', ('gz2', 60000, 4000)],
    'two-bgra-icon-256-grey-coins-200.bin': [('code', 1200007, 6001), 'icon-bgra', ('text', 40001, 7003), 'coins-grey', ('gz1', 150000, 3000)],
    'two-gray16be-camera-280-rgb565le-chelsea-256.bin': [('gz2', 100001, 4005), 'camera-gray16be', ('code', 1500009, 9001), 'chelsea-rgb565le', ('code', 1600000, 3000)],
    'two-gray16le-moon-320-rgb565le-chelsea-256.bin': [('gz1', 120001, 4001), 'moon-gray16le', 'chelsea-rgb565le', ('code', 2000001, 5000)],
    'two-grey-coins-512-rgb24-coffee-768.bin': [('gz1', 20011, 6007), 'coins-grey-512', 'coffee-rgb24-768', ('code', 900000, 4000)],
    'table-records-16-grey-camera-240.bin': [('gz1', 50000, 5003), 'records-16', 'camera-grey', ('gz2', 30000, 4000)],
    'yuv420p-coffee-256-in-code.bin': [('code', 300007, 7001), 'coffee-yuv420p', ('code', 500000, 5000)],
    'nv12-coffee-256-in-gzip.bin': [('gz1', 40003, 6003), 'coffee-nv12', ('gz1', 100000, 5000)],
    'bayer-rggb8-chelsea-256-in-text.bin': [('text', 2001, 5003), 'chelsea-bayer-rggb8', ('text', 30000, 4000)],
    'rgb48le-astronaut-768-in-code.bin': [('code', 800009, 6005), 'astronaut-rgb48le', ('code', 1000000, 4000)],
    'yuv420p10le-coffee-512-in-gzip.bin': [('gz2', 20001, 5001), 'coffee-yuv420p10le', ('gz2', 80000, 4000)],
    'p010le-coffee-512-in-code.bin': [('code', 600003, 6003), 'coffee-p010le', ('code', 1100000, 4000)],
    'bayer-rggb16le-chelsea-512-in-gzip.bin': [('gz1', 60001, 4003), 'chelsea-bayer-rggb16le', ('gz1', 110000, 4000)],
    'none-code.bin': [('code', 2000001, 40000)],
    'none-gzip.bin': [('gz1', 120001, 32000)],
    'none-text.bin': [('text', 3, 28000)],
}
for name, pieces in files.items():
    data = b''
    for p in pieces:
        if isinstance(p, str):
            print(name, p, 'at', len(data), 'bytes', len(pictures[p]))
            data += pictures[p]
        else:
            data += part(*p)
    open(out + '/' + name, 'wb').write(data)
PY
