#!/usr/bin/env bash
# Runs a command on a private X server under a real window manager, so that
# what only a window manager does (frames, the close box, Alt+F4, placement
# and maximising) can be tested.
#
#   tests/wm/with_openbox.sh [--screen WxHxD] CMD [ARGS...]
#
# Starts Xvfb on a free display (it picks the number itself, -displayfd),
# starts openbox on it, waits until openbox manages the root window, runs
# CMD with DISPLAY set and QT_QPA_PLATFORM=xcb, then ends openbox and the
# server. The screen is --screen, else $QUILLMERE_WM_SCREEN, else
# 1366x768x24. The exit status is CMD's, or 2 when the X server or the
# window manager did not come up.
set -euo pipefail

screen="${QUILLMERE_WM_SCREEN:-1366x768x24}"
if [ "${1:-}" = "--screen" ]; then
  screen="$2"
  shift 2
fi
if [ $# -eq 0 ]; then
  sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
case "$screen" in
  [1-9]*x[1-9]*x[1-9]*) ;;
  *) echo "with_openbox: screen '$screen' is not WxHxD" >&2; exit 2 ;;
esac
for tool in Xvfb openbox xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "with_openbox: $tool is missing; scripts/setup.sh installs it" >&2
    exit 2
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/quillmere-wm.XXXXXX")"
xvfb_pid=""
wm_pid=""
teardown() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap teardown EXIT
trap 'exit 130' INT TERM

# Waits (at most 60 seconds: a machine busy with a parallel build starts an
# X server slowly) until the command in "$@" succeeds.
wait_for() {
  local deadline=$((SECONDS + 60))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# Xvfb writes the display number it chose to the descriptor, then a newline.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
if ! wait_for grep -q '^[0-9][0-9]*$' "$work/display"; then
  echo "with_openbox: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 2
fi
export DISPLAY=":$(head -n 1 "$work/display")"

# The window manager announces itself on the root window as soon as it
# takes the screen, but it can still be loading its theme and menus then,
# and a window mapped meanwhile may never be framed, nor even shown. It runs
# the --startup command only once it is fully up: that is the sign awaited.
openbox --sm-disable --startup "touch $work/ready" >"$work/openbox.log" 2>&1 &
wm_pid=$!
managed() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && [ -e "$work/ready" ]; }
if ! wait_for managed; then
  echo "with_openbox: openbox did not take the screen:" >&2
  cat "$work/openbox.log" >&2
  exit 2
fi

# Under AddressSanitizer: the X keyboard library (libxkbcommon-x11) copies
# the keymap's names with strndup from buffers that hold no terminating NUL
# within the bound, which strict string checks stop in every X client at its
# first connection. That is the library's reading, not ours: those checks are
# off for the command run here, every other check stays.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi

status=0
QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
