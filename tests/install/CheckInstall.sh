#!/usr/bin/env bash
# Checks one side of the installed tree:
#   CheckInstall.sh layout PREFIX CMAKE BUILD_DIR APP_ID SIZE...   installs, then looks
#   CheckInstall.sh ManualHasEveryOption|DesktopEntryOpensTheFile|DesktopEntryIsValid|
#                   AppStreamIsValid PREFIX APP_ID
# Exits 77 (skipped) when the validator it needs is not installed.
set -euo pipefail
what=$1 prefix=$2

need() {
  command -v "$1" >/dev/null || { echo "skipped: $1 is not installed"; exit 77; }
}

case $what in
  layout)
    cmake=$3 build=$4 id=$5
    shift 5
    rm -rf "$prefix"
    "$cmake" --install "$build" --prefix "$prefix" >/dev/null
    share=$prefix/share
    for f in bin/rastel bin/rastel-render share/applications/$id.desktop \
      share/metainfo/$id.metainfo.xml share/man/man1/rastel.1 share/man/man1/rastel-render.1 \
      share/icons/hicolor/scalable/apps/$id.svg; do
      [ -s "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
    done
    [ -x "$prefix/bin/rastel" ] && [ -x "$prefix/bin/rastel-render" ]
    grep -q '<svg' "$share/icons/hicolor/scalable/apps/$id.svg"
    for size in "$@"; do
      png=$share/icons/hicolor/${size}x$size/apps/$id.png
      # Width and height from the PNG header, as 32-bit big-endian numbers.
      read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
      [ "$w $h" = "$size $size" ] || { echo "$png is $w x $h"; exit 1; }
    done
    ;;
  ManualHasEveryOption)
    page=$(sed 's/\\-/-/g' "$prefix/share/man/man1/rastel-render.1")
    options=$("$prefix/bin/rastel-render" --help | grep -oE '^ +-{1,2}[a-z][-a-z]*' | tr -d ' ')
    [ -n "$options" ]
    for option in $options; do
      grep -qE -- "(^|[^-a-z])$option([^-a-z]|$)" <<<"$page" ||
        { echo "rastel-render(1) does not describe $option"; exit 1; }
    done
    ;;
  DesktopEntryOpensTheFile)
    # "Open with" runs Exec with %f replaced by the chosen file: the viewer, given that file.
    file="$prefix/a file.bin"
    read -ra words < <(sed -n 's/^Exec=//p' "$prefix/share/applications/$3.desktop")
    args=()
    for word in "${words[@]}"; do args+=("${word//%f/$file}"); done
    [ -x "$prefix/bin/${args[0]}" ] && [ "${args[0]}" = rastel ] && [ "${#args[@]}" = 2 ] &&
      [ "${args[1]}" = "$file" ] || { echo "Exec=${words[*]} does not run rastel FILE"; exit 1; }
    ;;
  DesktopEntryIsValid)
    need desktop-file-validate
    out=$(desktop-file-validate "$prefix/share/applications/$3.desktop")
    echo "$out"
    ! grep -qE 'error|warning' <<<"$out"
    ;;
  AppStreamIsValid)
    need appstreamcli
    appstreamcli validate --no-net "$prefix/share/metainfo/$3.metainfo.xml"
    ;;
  *)
    echo "unknown check $what"
    exit 2
    ;;
esac
