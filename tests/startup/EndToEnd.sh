#!/usr/bin/env bash
# The real program under a virtual X server, driven by key presses: started on a file, OK in
# the settings dialog, its window grabbed; then the magnifications set to 3 through the
# Options command and grabbed again. Each grab must contain, pixel for pixel, the BMP that
# the renderer writes for that file (scaled up three times for the second).
# Usage: EndToEnd.sh RASTEL RASTEL_RENDER
set -euo pipefail
# Under AddressSanitizer: the X keyboard library reads past the end of a string it copies with
# strndup while Qt connects to the display; that is not our code.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_strndup=0"
rastel=$1
render=$2
for tool in xvfb-run xdotool import compare convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is missing (scripts/setup.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 1000 bytes: a 128 x 8 picture at the default settings.
head -c 1000 "$render" >"$work/sample.bin"
"$render" -o "$work/expected1.bmp" "$work/sample.bin"
convert "$work/expected1.bmp" -scale 300% "$work/expected3.png"

cat >"$work/session.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
# The id of the first window whose name is \$1, waiting for it to appear.
window() {
  for _ in \$(seq 1 600); do
    id=\$(xdotool search --name "^\$1\\\$" 2>/dev/null | head -n1 || true)
    [ -n "\$id" ] && { echo "\$id"; return 0; }
    sleep 0.1
  done
  echo "no window named \$1" >&2
  return 1
}
# Grabs window \$1 into \$2 until it shows \$3 or half a minute has passed: on a loaded
# machine the paint after a key press may land late, and a fixed pause would race it.
# compare's last verdict goes beside the grab.
grab() {
  local until=\$((SECONDS + 30))
  while [ \$SECONDS -lt \$until ]; do
    import -window "\$1" "\$2"
    compare -metric AE -subimage-search "\$2" "\$3" null: >"\$2.result" 2>&1 || true
    case "\$(cat "\$2.result")" in
      "0 "*) return 0 ;;
    esac
    sleep 0.5
  done
}
keys() {  # to the window with the focus
  sleep 0.5
  xdotool key --delay 100 "\$@"
}
# Focuses window \$1 and presses the keys after \$2 until a window named \$2 appears, at most
# four times: on a loaded machine a key press may be lost on its way to a window just focused.
open_with() {
  local from=\$1 name=\$2
  shift 2
  for _ in 1 2 3 4; do
    xdotool windowfocus --sync "\$from"
    keys "\$@"
    for _ in \$(seq 1 100); do
      id=\$(xdotool search --name "^\$name\\\$" 2>/dev/null | head -n1 || true)
      [ -n "\$id" ] && { echo "\$id"; return 0; }
      sleep 0.1
    done
  done
  echo "no window named \$name after pressing \$* four times" >&2
  return 1
}
# The server may say it is ready a while before it takes connections on a loaded machine
# (over ten seconds, beside the other tests at once): the program, started then, aborts
# without a display.
for _ in \$(seq 1 600); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done
"$rastel" "$work/sample.bin" &
pid=\$!
trap 'kill \$pid 2>/dev/null || true' EXIT

dialog=\$(window "描写色とサイズ")
xdotool windowfocus --sync "\$dialog"
keys Return
main=\$(window "Rastel - $work/sample.bin")
grab "\$main" "$work/window1.png" "$work/expected1.bmp"

# Room for the picture three times as large, so it needs no scrolling.
xdotool windowsize --sync "\$main" 640 400
dialog=\$(open_with "\$main" "描写色とサイズ" alt+o)
xdotool windowfocus --sync "\$dialog"
keys alt+x ctrl+a 3 alt+y ctrl+a 3 Return
grab "\$main" "$work/window3.png" "$work/expected3.png"
INNER
chmod +x "$work/session.sh"
# -a alone starts every search at display 99: two servers starting at once may both take it.
xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 800x600x24" "$work/session.sh"

# Where the picture sits in the window depends on the menu bar; search for it.
status=0
for m in 1 3; do
  result=$(cat "$work/window$m.png.result" 2>/dev/null || echo "no grab")
  echo "magnification $m: compare says $result"
  case "$result" in
    "0 "*) ;;
    *) echo "the drawn picture at magnification $m differs from the exported one"; status=1 ;;
  esac
done
exit $status
