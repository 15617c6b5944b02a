#!/usr/bin/env bash
# Configures (once) and builds the one build tree, build/.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR="${CCACHE_DIR:-${HOME:-/tmp}/.cache/ccache}"
# Paths relative to the checkout, so that every checkout of the project shares the cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
# Configure every time (about a second): subsystem and test folders are found by looking.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" "$@"
