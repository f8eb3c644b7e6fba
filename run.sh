#!/usr/bin/env bash
# Sets up, builds and starts Quillmere in your own working folder, which
# holds your default data file and window placement.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

workdir="${XDG_DATA_HOME:-$HOME/.local/share}/quillmere"
mkdir -p "$workdir"
# First start: the shipped defaults. A file you already have is never
# replaced.
[ -e "$workdir/Quillmere.dat" ] || cp build/share/Quillmere.dat "$workdir/"
[ -e "$workdir/QuillmereS.ini" ] || cp assets/QuillmereS.ini "$workdir/"
echo "Quillmere: working folder $workdir"
cd "$workdir"
exec "$root/build/ui/quillmere" "$@"
