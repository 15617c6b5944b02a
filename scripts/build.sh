#!/usr/bin/env bash
# Configures (once) and builds the one build tree, build/.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the checkout, so that every checkout of the project shares the cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j "$(nproc)" "$@"
