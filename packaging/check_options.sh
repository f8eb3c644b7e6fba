#!/bin/sh
# The command-line contract of both programs, without a display:
#   check_options.sh PROGRAM REPORT VERSION
# --help prints the usage and exits 0, --version prints "NAME VERSION" and
# exits 0, an unknown option exits 2 with a message on standard error.
set -u
failures=0
expect() { # expect DESCRIPTION STATUS EXPECTED_STATUS
  if [ "$2" -eq "$3" ]; then echo "ok - $1"; else
    echo "not ok - $1 (exit status $2, wanted $3)"
    failures=$((failures + 1))
  fi
}
for program in "$1" "$2"; do
  name=$(basename "$program")
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help 2>&1)
  expect "$name --help" $? 0
  case "$out" in usage:*) ;; *) echo "not ok - $name --help prints the usage"; failures=$((failures + 1)) ;; esac
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version 2>&1)
  expect "$name --version" $? 0
  [ "$out" = "$name $3" ] || { echo "not ok - $name --version says \"$out\""; failures=$((failures + 1)); }
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --no-such-option 2>&1 >/dev/null)
  expect "$name --no-such-option" $? 2
  [ -n "$err" ] || { echo "not ok - $name says why on standard error"; failures=$((failures + 1)); }
done
[ "$failures" -eq 0 ]
