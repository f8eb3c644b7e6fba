#!/bin/sh
# Renders each man page given with man -l and fails on any warning from groff
# (or anything else man writes to standard error).
set -u
status=0
for page in "$@"; do
  if [ ! -s "$page" ]; then
    echo "not ok - $page was not written"
    status=1
    continue
  fi
  warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "not ok - $page renders with warnings:"
    echo "$warnings"
    status=1
  else
    echo "ok - $page renders"
  fi
done
exit $status
