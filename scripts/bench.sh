#!/usr/bin/env bash
# Every benchmark on SQLite and on a throwaway PostgreSQL, then one table of ratios (ours /
# bare: 1.00 = as fast as the same work written bare). Each benchmark runs its two sides in
# turn and reports medians of at least 21 pairs, after checking that both sides agree.
#
#   scripts/bench.sh [NAME_PATTERN]     e.g. scripts/bench.sh prepay
#
# The script never stops early: a step that fails (installing, building, the PostgreSQL
# cluster, the large clinic, a benchmark) is written into the table as the rows it kept from
# running and why, and everything that can still run, runs. It exits 1 when anything failed.
# Its own and the benchmarks' progress go to stderr as they come; nothing here reopens the
# caller's stderr (a `tee /dev/stderr` would truncate a log the caller sends it to).
#
# A large clinic: when bench/large-clinic.sh exists it is run first with the two database URLs
# (sqlite:PATH and the PostgreSQL one) and may fill them; benchmarks find them in
# CALVANE_BENCH_CLINIC_SQLITE and CALVANE_BENCH_CLINIC_PG.
set -uo pipefail
cd "$(dirname "$0")/.."
pattern="${1:-}"

work=$(mktemp -d)
results="$work/results" output="$work/output"
: >"$results"
failed=()

# A row that says what could not run: benchmark, database, why.
not_run() {
  printf 'RESULT\t%s\t%s\t%s\t-\t-\t-\n' "$1" "$2" "not run: $3" >>"$results"
  failed+=("$1 ($2): $3")
}

scripts/setup.sh >&2 || echo "bench: installing the packages failed; going on with what is here" >&2

all_targets=$(find bench -name CMakeLists.txt -exec grep -ho 'calvane_add_benchmark([a-z_]*' {} + | sed 's/.*(//' | sort)
targets=()
for t in $all_targets; do
  [[ -z "$pattern" || "$t" == *$pattern* ]] && targets+=("$t")
done

echo "bench: building the benchmarks" >&2
runnable=()
if ((${#targets[@]})) && scripts/build.sh --target "${targets[@]}" >&2; then
  runnable=("${targets[@]}")
else
  # One at a time, so that one that does not build keeps only itself from running.
  for t in "${targets[@]}"; do
    if scripts/build.sh --target "$t" >&2; then runnable+=("$t"); else not_run "$t" all "does not build"; fi
  done
fi

. scripts/pg-cluster.sh
cleanup() { pg_cluster_stop; rm -rf "$work" "${clinic_dir:-}"; }
trap cleanup EXIT
pg_note=""
if ! pg_cluster_start; then
  pg_note="the PostgreSQL cluster did not start"
elif [ -z "${CALVANE_TEST_PG:-}" ]; then
  pg_note="no PostgreSQL server on this machine"
fi
unset CALVANE_BENCH_CLINIC_SQLITE CALVANE_BENCH_CLINIC_PG
if [ -x bench/large-clinic.sh ]; then
  clinic_dir=$(mktemp -d)
  sqlite_clinic="sqlite:$clinic_dir/clinic.sqlite" pg_clinic=""
  if [ -n "${CALVANE_TEST_PG:-}" ] && psql -q "$CALVANE_TEST_PG" -c "CREATE DATABASE calvane_bench_clinic" >&2; then
    pg_clinic="${CALVANE_TEST_PG%/*}/calvane_bench_clinic"
  fi
  echo "bench: making the large clinic" >&2
  if bench/large-clinic.sh "$sqlite_clinic" "$pg_clinic" >&2; then
    export CALVANE_BENCH_CLINIC_SQLITE="$sqlite_clinic"
    [ -n "$pg_clinic" ] && export CALVANE_BENCH_CLINIC_PG="$pg_clinic"
  else
    not_run "(large clinic)" all "bench/large-clinic.sh failed; benchmarks that need it run on their own data"
  fi
fi

for t in "${runnable[@]}"; do
  echo "bench: $t" >&2
  [ -n "$pg_note" ] && not_run "$t" postgresql "$pg_note"
  # Only the RESULT lines make the table; the rest is shown as progress.
  if "build/bin/$t" >"$output"; then status=0; else status=$?; fi
  cat "$output" >&2
  grep '^RESULT' "$output" >>"$results"
  if ((status != 0)); then
    not_run "$t" "-" "ended with exit status $status (rows above it are what it measured before)"
  elif ! grep -q '^RESULT' "$output"; then
    not_run "$t" "-" "printed no figures"
  fi
done

echo
{
  printf 'benchmark\tdatabase\twhat\tours\tbare\tratio\n'
  cut -f2- "$results"
} | column -t -s $'\t'
if ((${#failed[@]})); then
  echo
  printf 'bench: failed: %s\n' "${failed[@]}"
  exit 1
fi
