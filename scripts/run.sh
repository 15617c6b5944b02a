#!/usr/bin/env bash
# The main job: the front desk on the clinic database. CALVANE_DB names it as `calvane desk`
# takes it (a URL; a bare path is a SQLite file); without it, the clinic in the user's data
# folder ($XDG_DATA_HOME/calvane/clinic.sqlite, by default ~/.local/share/calvane), created with
# the demo clinic on first run: never in the checkout, which a fresh clone or `git clean` wipes.
# Installs and builds only what the desk needs.
set -euo pipefail
cd "$(dirname "$0")/.."
say() { echo "run: $*" >&2; }

say "checking the Debian packages"
scripts/setup.sh --desk
say "building the calvane tool, the module and the desk (not the tests or benchmarks)"
scripts/build.sh --target calvane_tool

data="${XDG_DATA_HOME:-}"
[[ "$data" == /* ]] || data="$HOME/.local/share"
db="${CALVANE_DB:-sqlite:$data/calvane/clinic.sqlite}"
case "$db" in
  sqlite:*|*://*) ;;
  *) db="sqlite:$db" ;;
esac
if [[ "$db" == sqlite:* && ! -f "${db#sqlite:}" ]]; then
  say "no database at ${db#sqlite:}: creating it with the demo clinic"
  mkdir -p "$(dirname "${db#sqlite:}")"
  build/bin/calvane init "$db" --demo >/dev/null
fi
[[ "$db" == sqlite:* ]] && say "the clinic's data: ${db#sqlite:} (back it up with: build/bin/calvane backup $db FILE)"
say "opening the desk on $(sed -E 's#(://[^:/@]*):[^@]*@#\1:***@#' <<<"$db")"
exec build/bin/calvane desk --db "$db"
