#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test on SQLite and on a throwaway PostgreSQL.
#   --sanitize   the same in a separate build tree (build-sanitize/) with AddressSanitizer and
#                UndefinedBehaviorSanitizer; any report fails the run. Slow: not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=0
if [[ "${1:-}" == "--sanitize" ]]; then
  sanitize=1
  shift
fi
scripts/setup.sh
if (( sanitize )); then
  export CCACHE_DIR="${CCACHE_DIR:-${HOME:-/tmp}/.cache/ccache}"
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
  flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    >/dev/null
  cmake --build build-sanitize -j "$(nproc)"
  # Leaks are Qt's and the drivers' one-off allocations at exit; what matters here is memory
  # errors and undefined behaviour, which stop the test program.
  # verify_asan_link_order=0: the C host test builds an uninstrumented program against the library.
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:verify_asan_link_order=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  build_dir=build-sanitize
else
  scripts/build.sh
  build_dir=build
fi
. scripts/pg-cluster.sh
trap pg_cluster_stop EXIT
pg_cluster_start
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)" "$@"
