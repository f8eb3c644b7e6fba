#!/bin/sh
# Checks an installation of Quillmere end to end, without a display:
#
#   check_install.sh BUILD COMPONENT BINDIR PROGRAMDIR SHAREDIR [CMAKE]
#
# installs the component from the build folder into a scratch prefix, moves
# the tree elsewhere (it must not depend on where it was installed), puts a
# stub in the program's place that records the folder it was started in and
# its arguments, and runs the installed launcher against scratch home folders.
# The launcher itself is the installed one, unchanged.
#
# Exit status: 0 all checks passed; 1 a check failed; 77 everything passed
# but desktop-file-validate is not there to check the desktop entry.
set -u

. "$(dirname "$0")/check_common.sh"
build=$1 component=$2 bindir=$3 programdir=$4 sharedir=$5 cmake=${6:-cmake}

scratch_folder quillmere-install-check
same() { cmp -s "$1" "$2"; }
user_writable() { [ $(($(stat -c %a "$1") / 100 & 2)) -ne 0 ]; }

# Installed into one place, run from another: a space in the path as well.
if ! "$cmake" --install "$build" --prefix "$scratch/installed" --component "$component" \
  >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  echo "not ok - cmake --install into a scratch prefix"
  exit 1
fi
pass "cmake --install into a scratch prefix"
mv "$scratch/installed" "$scratch/moved prefix"
prefix="$scratch/moved prefix"
launcher="$prefix/$bindir/quillmere"
shared="$prefix/$sharedir"

echo "# the installed tree"
check "launcher bin/quillmere is executable" test -x "$launcher"
check "program is executable in $programdir" test -x "$prefix/$programdir/quillmere"
check "the views library is in views/ beside the program" \
  test -s "$prefix/$programdir/views/libquillmere_views.so"
for name in Quillmere.dat QuillmereS.ini; do
  check "shipped $name in $sharedir" test -s "$shared/$name"
done
check "shipped Quillmere.dat is the one the build wrote" \
  same "$shared/Quillmere.dat" "$build/share/Quillmere.dat"
if [ -L "$build/packaging/quillmere-report" ]; then
  check "bin/quillmere-report leads to the installed report tool" \
    test -x "$prefix/$bindir/quillmere-report" -a -L "$prefix/$bindir/quillmere-report"
  check "report tool in $programdir" test -x "$prefix/$programdir/quillmere-report"
fi

desktop="$prefix/share/applications/quillmere.desktop"
check "desktop entry installed" test -f "$desktop"
exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
check "desktop entry's Exec ($exec_cmd) is the installed launcher" test -x "$prefix/$bindir/$exec_cmd"
check "desktop entry's Icon ($icon) is installed as a scalable icon" \
  test -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
if [ -f "$build/packaging/quillmere-64.png" ]; then
  check "the rendered icon is installed as 64x64 PNG" \
    same "$prefix/share/icons/hicolor/64x64/apps/$icon.png" "$build/packaging/quillmere-64.png"
fi

# The stub records where it ran and what it was given, and ends with a
# status of its own, which the launcher must hand on.
cat >"$prefix/$programdir/quillmere" <<'EOF'
#!/bin/sh
{ pwd -P; for a in "$@"; do echo "arg:$a"; done; } >"$QUILLMERE_CHECK_RECORD"
exit 7
EOF
chmod 755 "$prefix/$programdir/quillmere"
# An installation owned by another user is read-only to the user.
chmod a-w "$shared"/*

record="$scratch/record"
# launch HOME XDG_DATA_HOME|-unset- ARGS...: runs the installed launcher in a
# clean environment, from the scratch folder (a relative path must not land
# anywhere else); sets $status.
launch() {
  home=$1 xdg=$2
  shift 2
  rm -f "$record"
  if [ "$xdg" = "-unset-" ]; then
    (cd "$scratch" && env -i PATH="$PATH" HOME="$home" QUILLMERE_CHECK_RECORD="$record" \
      "$launcher" "$@") >"$scratch/launch.log" 2>&1
  else
    (cd "$scratch" && env -i PATH="$PATH" HOME="$home" XDG_DATA_HOME="$xdg" \
      QUILLMERE_CHECK_RECORD="$record" "$launcher" "$@") >"$scratch/launch.log" 2>&1
  fi
  status=$?
}
ran_in() { [ -f "$record" ] && [ "$(head -n 1 "$record")" = "$(cd "$1" && pwd -P)" ]; }

echo "# first start: the working folder is made and seeded"
home="$scratch/home one"
data_home="$scratch/xdg one/not yet made"
launch "$home" "$data_home" -x "two words"
work="$data_home/quillmere"
check "program ran in XDG_DATA_HOME/quillmere, made with its parents" ran_in "$work"
check "arguments reach the program unchanged" \
  test "$(tail -n +2 "$record" 2>/dev/null)" = "$(printf 'arg:-x\narg:two words')"
check "the program's exit status is the launcher's" test "$status" -eq 7
for name in Quillmere.dat QuillmereS.ini; do
  check "$name copied from the shipped one" same "$work/$name" "$shared/$name"
  check "$name copy is writable by the user, the shipped one is not" user_writable "$work/$name"
done

echo "# later starts: the user's files are never replaced"
printf 'the user saved this\n' >"$work/Quillmere.dat"
printf '[Position]\nLeft=99\n' >"$work/QuillmereS.ini"
cp "$work/Quillmere.dat" "$scratch/dat.before"
cp "$work/QuillmereS.ini" "$scratch/ini.before"
launch "$home" "$data_home"
check "second start runs in the same folder" ran_in "$work"
check "changed Quillmere.dat kept" same "$work/Quillmere.dat" "$scratch/dat.before"
check "changed QuillmereS.ini kept" same "$work/QuillmereS.ini" "$scratch/ini.before"
rm "$work/Quillmere.dat"
launch "$home" "$data_home"
check "a deleted Quillmere.dat comes back as shipped" same "$work/Quillmere.dat" "$shared/Quillmere.dat"
check "beside it, the changed QuillmereS.ini is kept" same "$work/QuillmereS.ini" "$scratch/ini.before"

echo "# where the working folder is"
for case in "-unset-:XDG_DATA_HOME unset" ":XDG_DATA_HOME empty" \
  "relative/data:XDG_DATA_HOME relative, so invalid"; do
  xdg=${case%%:*}
  home="$scratch/home ${case#*:}"
  mkdir -p "$home"
  launch "$home" "$xdg"
  check "${case#*:}: runs in HOME/.local/share/quillmere" ran_in "$home/.local/share/quillmere"
done
launch "" "-unset-"
check "neither HOME nor XDG_DATA_HOME: refuses with a message" \
  test "$status" -ne 0 -a "$status" -ne 7 -a ! -f "$record" -a -s "$scratch/launch.log"

home="$scratch/home linked"
mkdir -p "$home/bin"
ln -s "$launcher" "$home/bin/quillmere"
rm -f "$record"
env -i PATH="$PATH" HOME="$home" QUILLMERE_CHECK_RECORD="$record" "$home/bin/quillmere" \
  >"$scratch/launch.log" 2>&1
check "started through a link to the launcher" ran_in "$home/.local/share/quillmere"

echo "# other shipped files are linked into the working folder"
chmod u+w "$shared"
for name in "Quillmere Attenuation.chm" "Fig2 LiquidWater 0.1%.jpg" "Fig3 LiquidWater 0.2%.jpg"; do
  printf 'shipped %s\n' "$name" >"$shared/$name"
done
home="$scratch/home maps"
work="$home/.local/share/quillmere"
mkdir -p "$work"
printf 'the user s own map\n' >"$work/Fig3 LiquidWater 0.2%.jpg"
ln -s "$scratch/gone/Quillmere Attenuation.chm" "$work/Quillmere Attenuation.chm"
launch "$home" "-unset-"
check "a shipped file is linked in" same "$work/Fig2 LiquidWater 0.1%.jpg" "$shared/Fig2 LiquidWater 0.1%.jpg"
check "a dangling link is made afresh" \
  same "$work/Quillmere Attenuation.chm" "$shared/Quillmere Attenuation.chm"
check "a user's own file of that name stays" \
  test "$(cat "$work/Fig3 LiquidWater 0.2%.jpg")" = "the user s own map"

echo "# the desktop entry"
validator=$(command -v desktop-file-validate || true)
if [ -z "$validator" ]; then
  echo "# desktop-file-validate (desktop-file-utils) is missing: the desktop entry is not validated"
elif "$validator" "$desktop"; then
  pass "desktop-file-validate accepts quillmere.desktop"
else
  fail "desktop-file-validate accepts quillmere.desktop"
fi

end_of_checks
[ -n "$validator" ] || exit 77
exit 0
