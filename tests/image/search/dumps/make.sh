#!/usr/bin/env bash
# Rebuilds the memory dumps (run as root on Debian 12, with xvfb, ImageMagick and python3):
# the writable memory of two real processes holding pictures, cut small and gzipped.
#  - xserver.bin.gz: a virtual X server (Xvfb, 240 x 160 at 24 bits) while ImageMagick's
#    display shows a photograph of python3-skimage over the whole screen: the start of its
#    heap (the server's records), its framebuffer and, next to it as the mappings of a larger
#    server lie, the pixmap of the window, 4 pixels wider.
#  - python.bin.gz: a python3 process holding photographs decoded to bytes beside arrays of
#    other row lengths and lists of numbers, the part of its heap that holds them.
# Prints where each picture starts in the cut file.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$tmp"' EXIT
cd "$tmp"
apt-get download python3-skimage >/dev/null 2>&1
dpkg -x python3-skimage_*.deb sk
d=$PWD/sk/usr/lib/python3/dist-packages/skimage/data

# The writable mappings of a process, one after the other, and an index of them.
cat > dump.py <<'PY'
import re, sys
pid, out = int(sys.argv[1]), open(sys.argv[2], 'wb')
mem = open(f'/proc/{pid}/mem', 'rb', 0)
for line in open(f'/proc/{pid}/maps'):
    m = re.match(r'([0-9a-f]+)-([0-9a-f]+) rw', line)
    if not m:
        continue
    a, b = int(m[1], 16), int(m[2], 16)
    try:
        mem.seek(a)
        data = mem.read(b - a)
    except OSError:
        continue
    print(out.tell(), b - a, line.split()[5] if len(line.split()) > 5 else '-')
    out.write(data)
PY

Xvfb :97 -screen 0 240x160x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=:97 display -geometry 240x160+0+0 -resize '240x160!' $d/coffee.png &
sleep 3
python3 dump.py $xvfb x.dump > x.maps
python3 - x.dump x.maps "$out/xserver.bin" <<'PY'
import sys
dump = open(sys.argv[1], 'rb').read()
maps = [l.split() for l in open(sys.argv[2])]
heap = next(int(m[0]) for m in maps if m[2] == '[heap]')
fb = next(m for m in maps if m[2].startswith('/SYSV') and int(m[1]) >= 240 * 160 * 4)
# The window's pixmap: the anonymous mapping whose bytes hold the screen's middle row.
fbAt = int(fb[0])
row = dump[fbAt + 80 * 960 + 40: fbAt + 80 * 960 + 200]
pix = next(m for m in maps if m[2] == '-' and m is not fb and
           row in dump[int(m[0]):int(m[0]) + int(m[1])] and int(m[1]) < 1 << 20)
pixAt = int(pix[0])
cut = dump[heap:heap + (96 << 10)] + dump[fbAt:fbAt + int(fb[1])] + dump[pixAt:pixAt + int(pix[1])]
open(sys.argv[3], 'wb').write(cut)
print('xserver.bin: screen 960-byte rows at', 96 << 10, '; window pixmap at',
      (96 << 10) + int(fb[1]), '+', dump[pixAt:pixAt + int(pix[1])].find(row) - 80 * 976 - 40 + 8,
      'with 976-byte rows (approximately), total', len(cut))
PY
kill %2 $xvfb

# Photographs decoded to bytes, each directly followed by the next as malloc lays them out:
# 8-bit grey of 256-byte rows, 16-bit samples of 384-byte rows, RGB of 480-byte rows; then a
# list of floats and an array of 8-byte integers.
cat > hold.py <<'PY'
import array, os, subprocess, sys
d = sys.argv[1]
def raw(*args):
    return subprocess.run(['convert', *args], capture_output=True, check=True).stdout
grey = bytearray(raw(d + '/camera.png', '-resize', '256x256!', '-depth', '8', 'gray:-'))
samples = array.array('H')
samples.frombytes(raw(d + '/moon.png', '-resize', '192x150!', '-depth', '16', '-endian', 'LSB',
                      'gray:-'))
rgb = bytearray(raw(d + '/chelsea.png', '-resize', '160x100!', '-depth', '8', 'rgb:-'))
floats = [i * 0.37 for i in range(3000)]
ints = array.array('q', range(0, 600000, 200))
for i, held in enumerate((bytes(grey), samples.tobytes(), bytes(rgb))):
    open(f'held{i}', 'wb').write(held)
print(os.getpid(), flush=True)
sys.stdin.read()
PY
mkfifo hold
/usr/bin/python3 hold.py $d < hold > pid &
exec 3> hold
while [ ! -s pid ]; do sleep 0.2; done
python3 dump.py $(cat pid) p.dump > p.maps
exec 3>&-
python3 - p.dump p.maps "$out/python.bin" <<'PY'
import sys
dump = open(sys.argv[1], 'rb').read()
maps = [l.split() for l in open(sys.argv[2])]
heap = next(m for m in maps if m[2] == '[heap]')
at, n = int(heap[0]), int(heap[1])
held = [open(f'held{i}', 'rb').read() for i in range(3)]
where = [dump.find(h, at, at + n) for h in held]
first = max(at, min(where) - (16 << 10))
last = min(at + n, max(w + len(h) for w, h in zip(where, held)) + (16 << 10))
open(sys.argv[3], 'wb').write(dump[first:last])
for name, w, h in zip(('grey 256', 'gray16le 384', 'rgb24 480'), where, held):
    print('python.bin:', name, 'at', w - first, 'bytes', len(h))
print('python.bin: total', last - first)
PY
