#!/usr/bin/env bash
# The main job: the front desk on the clinic database. CALVANE_DB names it as `calvane desk`
# takes it (a URL; a bare path is a SQLite file); without it, clinic.sqlite here, created with
# the demo clinic on first run. Builds only what the desk needs.
set -euo pipefail
cd "$(dirname "$0")/.."
say() { echo "run: $*" >&2; }

say "checking the Debian packages"
scripts/setup.sh
say "building the calvane tool, the module and the desk (not the tests or benchmarks)"
scripts/build.sh --target calvane_tool

db="${CALVANE_DB:-sqlite:$PWD/clinic.sqlite}"
case "$db" in
  sqlite:*|*://*) ;;
  *) db="sqlite:$db" ;;
esac
if [[ "$db" == sqlite:* && ! -f "${db#sqlite:}" ]]; then
  say "no database at ${db#sqlite:}: creating it with the demo clinic"
  build/bin/calvane init "$db" --demo >/dev/null
fi
say "opening the desk on $(sed -E 's#(://[^:/@]*):[^@]*@#\1:***@#' <<<"$db")"
exec build/bin/calvane desk --db "$db"
