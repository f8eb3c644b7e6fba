#!/usr/bin/env bash
# Sets up, builds and runs every test of Quillmere; ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
# Warnings are errors here, so that none creeps in unseen.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
