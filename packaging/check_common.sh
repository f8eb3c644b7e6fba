# Sourced by the package checks (check_deb.sh, check_install.sh): each check
# prints "ok - WHAT" or "not ok - WHAT", and the failures are counted.
#
#   scratch_folder NAME    sets $scratch to a new folder, removed on exit
#   check WHAT COMMAND...  passes when COMMAND succeeds
#   end_of_checks          exits 1 with the count when any check failed

failures=0
pass() { echo "ok - $1"; }
fail() {
  echo "not ok - $1"
  failures=$((failures + 1))
}
check() { # check DESCRIPTION COMMAND...
  what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
scratch_folder() {
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
}
end_of_checks() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
}
