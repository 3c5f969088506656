#!/usr/bin/env bash
# The real program under a virtual X server: the time from the settings dialog's OK to the
# first painted picture (the program tells it when RASTEL_PICTURE_CLOCK is set), against a
# plain read of the same file into a fresh buffer (dd, one block the size of the file), one
# after the other, run by run. Each depth at widths 128 and 4096, the viewport 1920 x 1080.
# RASTEL_PAINT_CASES picks other cases: words KEYS:NAME, KEYS the dialog's keys before the width
# (commas between keys), e.g. "alt+l:256 alt+f,Down:rgb24 alt+f,Down,Down,Down,Down,Down:rgba".
# Several programs may be given (an older build, say): they take their turns in the same runs.
# Usage: first_paint_x11.sh RUNS FILE PROGRAM...
# Prints per program and case the medians of first paint, of the read and of the run-by-run
# ratio, and the largest peak resident set of the whole process; then, for each program after
# the first, what it adds to the first's first paint as a share of the read (vs_first: the
# run-by-run medians of (its paint - the first's paint) / read).
set -euo pipefail
runs=$1
file=$(realpath "$2")
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' "$@" >"$work/programs"
cases=${RASTEL_PAINT_CASES:-alt+l:256 alt+i:16 alt+t:2}
echo "$cases" >"$work/cases"

cat >"$work/session.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
runs=$1 file=$2 work=$3
window() {  # the id of the first window whose name matches $1, once it is there
  for _ in $(seq 1 600); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  echo "no window named $1" >&2
  return 1
}
read_seconds() {
  dd if="$file" of=/dev/null bs="$(stat -c %s "$file")" count=1 iflag=fullblock 2>&1 |
    sed -n 's/.*copied, \([0-9.]*\) s.*/\1/p'
}
first_paint() {  # program, the dialog's keys, width: prints seconds and peak KiB
  local log=$work/clock.log
  RASTEL_PICTURE_CLOCK=1 "$1" "$file" 2>"$log" &
  local pid=$!
  local dialog main
  dialog=$(window "^描写色とサイズ\$")
  main=$(window "^Rastel - Version")
  xdotool windowsize --sync "$main" 1937 1140
  xdotool windowfocus --sync "$dialog"
  xdotool key --delay 30 $(echo "$2" | tr , ' ') alt+w ctrl+a $(echo "$3" | sed 's/./& /g')
  sleep 0.3
  xdotool key Return
  for _ in $(seq 1 1200); do
    grep -q "picture painted" "$log" && break
    sleep 0.05
  done
  local peak
  peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$(sed -n 's/.*painted \([0-9.]*\) s.*/\1/p' "$log") $peak"
}
for run in $(seq 1 "$runs"); do
  for depth in $(cat "$work/cases"); do
    for width in 128 4096; do
      read=$(read_seconds)
      n=0
      while read -r program; do
        n=$((n + 1))
        echo "$n ${depth#*:} $width $read $(first_paint "$program" "${depth%%:*}" "$width")" \
          >>"$work/results"
      done <"$work/programs"
    done
  done
done
INNER
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1960x1200x24" "$work/session.sh" "$runs" "$file" "$work" 2>/dev/null

# Columns: program, case, width, read s, first paint s, peak KiB.
echo "program case width first_paint_s read_s vs_read peak_MiB (medians; peak: largest)"
n=0
while read -r program; do
  n=$((n + 1))
  for c in $cases; do
    depth=${c##*:}
    for width in 128 4096; do
      awk -v n="$n" -v d="$depth" -v w="$width" -v p="$program" '
        function median(a, k,   i, j, t) {
          for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
          return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
        }
        $1 == n && $2 == d && $3 == w { k++; r[k] = $4; f[k] = $5; q[k] = $5 / $4; if ($6 > peak) peak = $6 }
        END { printf "%s %s %s %.3f %.3f %.2f %.0f\n", p, d, w, median(f, k), median(r, k), median(q, k), peak / 1024 }
      ' "$work/results"
    done
  done
done <"$work/programs"

if [ "$#" -gt 1 ]; then
  echo "program case width added_vs_read (medians of (paint - first program's paint) / read)"
  awk '
    function median(a, k,   i, j, t) {
      for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
      return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    }
    { key = $2 " " $3 " " $4; if ($1 == 1) base[key] = $5; else { c = $1 " " $2 " " $3; k[c]++; d[c, k[c]] = ($5 - base[key]) / $4 } }
    END { for (c in k) { for (i = 1; i <= k[c]; i++) a[i] = d[c, i]; printf "%s %.3f\n", c, median(a, k[c]) } }
  ' "$work/results" | sort -n
fi
