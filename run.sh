#!/usr/bin/env bash
# Sets up, builds and starts Quillmere.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
echo "The window is not built yet: showing the figures of the model core."
exec ./build/app/quillmere-console
