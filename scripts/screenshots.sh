#!/usr/bin/env bash
# Makes the screenshots in docs/: the program as a user sees it under a real
# window manager (openbox), started with the shipped data file and window
# placement, on four desktops.
#
#   scripts/screenshots.sh [--build DIR]
#
#   docs/screen-1024x768.png        1024 x 768
#   docs/screen-1366x768.png        1366 x 768
#   docs/screen-1920x1080.png       1920 x 1080, the window maximised
#   docs/screen-3840x2160-2x.png    3840 x 2160 at twice the size (QT_SCALE_FACTOR=2)
#   docs/planner.png                the Moon planner opened with F2 for JO01 (Home) and
#                                   FN31 (DX) from the present moment, once it has computed
#
#   scripts/screenshots.sh [--build DIR] planner    only the planner's picture
#
# Needs the targets quillmere and quillmere_shipped_data built; the planner's
# picture also ImageMagick's import (Debian imagemagick), which takes one window.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
if [ "${1:-}" = "--build" ]; then
  build="$2"
  shift 2
fi
only="${1:-}"
program="$build/ui/quillmere"
data="$build/share/Quillmere.dat"
for f in "$program" "$data"; do
  if [ ! -e "$f" ]; then
    echo "screenshots: $f is missing; build quillmere and quillmere_shipped_data first" >&2
    exit 2
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/quillmere-shots.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# One screenshot: screen WxHxD, scale factor, maximised (0/1), output file.
shoot() {
  local screen="$1" scale="$2" maximise="$3" out="$4"
  rm -rf "$work/folder"
  mkdir "$work/folder"
  cp "$data" "$work/folder/Quillmere.dat"
  cp "$root/assets/QuillmereS.ini" "$work/folder/QuillmereS.ini"
  QUILLMERE_PROGRAM="$(realpath "$program")" QUILLMERE_OUT="$out" QUILLMERE_MAXIMISE="$maximise" \
    QT_SCALE_FACTOR="$scale" QUILLMERE_XSHOT="$root/tests/wm/xshot.py" \
    "$root/tests/wm/with_openbox.sh" --screen "$screen" bash -c '
      set -euo pipefail
      cd "'"$work/folder"'"
      "$QUILLMERE_PROGRAM" >/dev/null 2>&1 &
      pid=$!
      # The start-up sequence puts the version into the title.
      wid="$(xdotool search --sync --onlyvisible --name "Ver" | head -n 1)"
      if [ "$QUILLMERE_MAXIMISE" = 1 ]; then
        /usr/bin/python3 "$QUILLMERE_XSHOT" maximise "$wid"
      fi
      # Time for the window manager and the program to settle and paint.
      sleep 2
      /usr/bin/python3 "$QUILLMERE_XSHOT" grab "$QUILLMERE_OUT"
      kill "$pid"
      wait "$pid" 2>/dev/null || true
    '
  echo "screenshots: $out"
}

# The planner on a 1920 x 1080 screen: F2 in the main window, then the
# planner's own window once its status says what it computed.
shoot_planner() {
  local out="$1"
  rm -rf "$work/folder"
  mkdir "$work/folder"
  cp "$data" "$work/folder/Quillmere.dat"
  cp "$root/assets/QuillmereS.ini" "$work/folder/QuillmereS.ini"
  printf '[Home]\nName=Home\nLocation=JO01\n\n[DX]\nName=DX\nLocation=FN31\n' \
    >"$work/folder/QuillmereStations.ini"
  QUILLMERE_PROGRAM="$(realpath "$program")" QUILLMERE_OUT="$out" \
    "$root/tests/wm/with_openbox.sh" --screen 1920x1080x24 bash -c '
      set -euo pipefail
      cd "'"$work/folder"'"
      "$QUILLMERE_PROGRAM" >/dev/null 2>&1 &
      pid=$!
      wid="$(xdotool search --sync --onlyvisible --name "Ver" | head -n 1)"
      xdotool windowactivate --sync "$wid"
      xdotool key --clearmodifiers F2
      planner="$(xdotool search --sync --onlyvisible --name "Quillmere Moon Planner" | head -n 1)"
      # The planner computes a day from now as it opens, beside the window;
      # its picture is taken once the charts are drawn and painted.
      sleep 8
      import -window "$planner" "$QUILLMERE_OUT"
      kill "$pid"
      wait "$pid" 2>/dev/null || true
    '
  echo "screenshots: $out"
}

if [ "$only" = planner ]; then
  shoot_planner "$root/docs/planner.png"
  exit 0
fi
shoot 1024x768x24 1 0 "$root/docs/screen-1024x768.png"
shoot 1366x768x24 1 0 "$root/docs/screen-1366x768.png"
shoot 1920x1080x24 1 1 "$root/docs/screen-1920x1080.png"
shoot 3840x2160x24 2 0 "$root/docs/screen-3840x2160-2x.png"
shoot_planner "$root/docs/planner.png"
