#!/bin/sh
# Builds the Debian package from a build folder and checks it as a user's
# machine would take it:
#
#   check_deb.sh BUILD
#
# 1. cpack -G DEB gives quillmere_<version>_amd64.deb;
# 2. its contents list has every file a user needs, all under /usr, and its
#    dependency line was worked out from the binaries;
# 3. dpkg installs it into a throwaway root, where the installed report tool
#    and launcher answer --version with the program's version;
# 4. dpkg removes it again and leaves no file behind.
#
# Exit status: 0 all checks passed; 1 a check failed.
set -u

. "$(dirname "$0")/check_common.sh"
build=$(cd "$1" && pwd)
scratch_folder quillmere-deb-check

if ! (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out") \
  >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "not ok - cpack -G DEB"
  exit 1
fi
pass "cpack -G DEB"

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$scratch/out/quillmere_${version}_amd64.deb"
if [ ! -f "$deb" ]; then
  ls "$scratch/out"
  echo "not ok - the package is named quillmere_${version}_amd64.deb"
  exit 1
fi
pass "the package is named quillmere_${version}_amd64.deb"

echo "# its contents"
dpkg-deb -c "$deb" | sed -E 's/^([^ ]+ +){5}//; s/ -> .*$//; s|^\./|/|; s|/$||' >"$scratch/contents"
for path in \
  /usr/bin/quillmere /usr/bin/quillmere-report \
  /usr/lib/quillmere/quillmere /usr/lib/quillmere/quillmere-report \
  /usr/lib/quillmere/views/libquillmere_views.so \
  /usr/share/quillmere/Quillmere.dat /usr/share/quillmere/QuillmereS.ini \
  "/usr/share/quillmere/Quillmere Attenuation.chm" \
  "/usr/share/quillmere/Fig2 LiquidWater 0.1%.jpg" "/usr/share/quillmere/Fig7 LiquidWater 20.0%.jpg" \
  /usr/share/applications/quillmere.desktop \
  /usr/share/icons/hicolor/scalable/apps/quillmere.svg \
  /usr/share/man/man1/quillmere.1.gz /usr/share/man/man1/quillmere-report.1.gz \
  /usr/share/metainfo/io.github.quillmere.Quillmere.metainfo.xml \
  /usr/share/doc/quillmere/copyright; do
  check "contains $path" grep -qxF "$path" "$scratch/contents"
done
# The copyright file's text on one line, its folded lines joined: it names
# each source of the shipped data with its terms.
copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/quillmere/copyright |
  tr -s '\n ' '  ')
for source in "ITU-R P.840-4" "ITU-R P.676-13" "GSHHG 2.3.7" "ITU's terms of use" \
  "License: GPL-3+"; do
  check "the copyright file names $source" \
    sh -c 'case "$1" in *"$2"*) ;; *) exit 1 ;; esac' _ "$copyright" "$source"
done
check "installs nothing outside /usr" sh -c "! grep -v -e '^/usr' -e '^/\$' -e '^\$' '$scratch/contents'"
depends=$(dpkg-deb -f "$deb" Depends)
echo "# Depends: $depends"
check "depends on Qt's widgets, as the binaries need" sh -c "echo '$depends' | grep -q libqt6widgets6"
check "depends on Qt Charts, which the views library links" \
  sh -c "echo '$depends' | grep -q libqt6charts6"
check "depends on the libraries the binaries link (ERFA, libjpeg)" \
  sh -c "echo '$depends' | grep -q liberfa && echo '$depends' | grep -q libjpeg"

echo "# installed into a throwaway root"
root="$scratch/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
: >"$root/var/lib/dpkg/available"
dpkg="dpkg --root=$root --force-not-root --force-depends --log=$scratch/dpkg.log"
if ! $dpkg -i "$deb" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  fail "dpkg --root installs the package"
else
  pass "dpkg --root installs the package"
fi
report_version=$("$root/usr/bin/quillmere-report" --version 2>&1)
check "quillmere-report --version from the installed tree says $version" \
  test "$report_version" = "quillmere-report $version"
program_version=$(HOME="$scratch/home" "$root/usr/bin/quillmere" --version 2>&1)
check "the installed launcher passes --version to the program" \
  test "$program_version" = "quillmere $version"
check "--version made no working folder" test ! -e "$scratch/home"
"$root/usr/bin/quillmere-report" --no-such-option >/dev/null 2>&1
check "an unknown option gives exit status 2" test $? -eq 2

if ! $dpkg -r quillmere >"$scratch/remove.log" 2>&1; then
  cat "$scratch/remove.log"
  fail "dpkg --root removes the package"
else
  pass "dpkg --root removes the package"
fi
left=$(find "$root/usr" -type f -o -type l 2>/dev/null)
check "nothing is left behind" test -z "$left"
[ -z "$left" ] || echo "$left"

end_of_checks
echo "all checks passed"
