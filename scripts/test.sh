#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test on SQLite and on a throwaway PostgreSQL.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
. scripts/pg-cluster.sh
trap pg_cluster_stop EXIT
pg_cluster_start
ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)" "$@"
