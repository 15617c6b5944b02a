#!/usr/bin/env bash
# Every benchmark on SQLite and on a throwaway PostgreSQL, then one table of ratios (ours /
# bare: 1.00 = as fast as the same work written bare). Each benchmark runs its two sides in
# turn and reports medians of at least 21 pairs, after checking that both sides agree. The
# table is printed even when a benchmark fails; the failed ones are named after it.
#
#   scripts/bench.sh [NAME_PATTERN]     e.g. scripts/bench.sh prepay
#
# A large clinic: when bench/large-clinic.sh exists it is run first with the two database URLs
# (sqlite:PATH and the PostgreSQL one) and may fill them; benchmarks find them in
# CALVANE_BENCH_CLINIC_SQLITE and CALVANE_BENCH_CLINIC_PG.
set -euo pipefail
cd "$(dirname "$0")/.."
pattern="${1:-}"
scripts/setup.sh
echo "bench: building the benchmarks" >&2
targets=$(find bench -name CMakeLists.txt -exec grep -ho 'calvane_add_benchmark([a-z_]*' {} + | sed 's/.*(//')
# shellcheck disable=SC2086
scripts/build.sh --target $targets >&2

. scripts/pg-cluster.sh
trap pg_cluster_stop EXIT
pg_cluster_start

if [ -x bench/large-clinic.sh ]; then
  clinic_dir=$(mktemp -d)
  export CALVANE_BENCH_CLINIC_SQLITE="sqlite:$clinic_dir/clinic.sqlite"
  export CALVANE_BENCH_CLINIC_PG="${CALVANE_TEST_PG:+${CALVANE_TEST_PG%/*}/calvane_bench_clinic}"
  [ -n "$CALVANE_BENCH_CLINIC_PG" ] && psql -q "$CALVANE_TEST_PG" -c "CREATE DATABASE calvane_bench_clinic"
  echo "bench: making the large clinic" >&2
  bench/large-clinic.sh "$CALVANE_BENCH_CLINIC_SQLITE" "$CALVANE_BENCH_CLINIC_PG"
fi

results=$(mktemp) output=$(mktemp)
failed=()
for t in $targets; do
  [[ -z "$pattern" || "$t" == *$pattern* ]] || continue
  echo "bench: $t" >&2
  # The benchmark's own lines go to stderr as they come; only its RESULT lines make the table.
  # (Written to a file of our own: `tee /dev/stderr` would truncate a log the caller sends
  # stderr to.)
  if "build/bin/$t" >"$output"; then status=0; else status=$?; fi
  cat "$output" >&2
  grep '^RESULT' "$output" >>"$results" || true
  if (( status != 0 )); then
    failed+=("$t (exit $status)")
  elif ! grep -q '^RESULT' "$output"; then
    failed+=("$t (no figures)")
  fi
done

echo
{
  printf 'benchmark\tdatabase\twhat\tours\tbare\tratio\n'
  cut -f2- "$results"
} | column -t -s $'\t'
rm -f "$results" "$output"
if (( ${#failed[@]} )); then
  echo >&2
  printf 'bench: failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
