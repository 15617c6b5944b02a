#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test on SQLite and on a throwaway PostgreSQL.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
. scripts/pg-cluster.sh
pg_cluster_start
trap pg_cluster_stop EXIT
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@"
