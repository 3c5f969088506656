#!/usr/bin/env bash
# The real program under a virtual X server: started on a file, its window is grabbed and
# the picture in it must match, pixel for pixel, the BMP the renderer writes for that file.
# Usage: EndToEnd.sh RASTEL RASTEL_RENDER
set -euo pipefail
rastel=$1
render=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 1000 bytes: a 128 x 8 picture at the default settings.
head -c 1000 "$render" >"$work/sample.bin"
"$render" -o "$work/expected.bmp" "$work/sample.bin"

cat >"$work/session.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
"$rastel" "$work/sample.bin" &
pid=\$!
id=""
for _ in \$(seq 1 600); do
  id=\$(xwininfo -root -tree 2>/dev/null | grep -F '"Rastel - $work/sample.bin"' | awk '{print \$1}' | head -n1 || true)
  [ -n "\$id" ] && break
  sleep 0.1
done
[ -n "\$id" ] || { echo "the window never showed the file"; kill \$pid; exit 1; }
sleep 1  # let the first paint land
import -window "\$id" "$work/window.png"
kill \$pid
INNER
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 800x600x24" "$work/session.sh"

# Where the picture sits in the window depends on the menu bar; search for it.
result=$(compare -metric AE -subimage-search "$work/window.png" "$work/expected.bmp" \
  null: 2>&1 || true)
echo "compare: $result"
case "$result" in
  "0 "*) exit 0 ;;
  *) echo "the drawn picture differs from the exported one"; exit 1 ;;
esac
