#!/usr/bin/env bash
# The main job: the front desk on the embedded SQLite database, with the demo clinic.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
db="${CALVANE_DB:-$PWD/clinic.sqlite}"
[ -f "$db" ] || build/bin/calvane init "sqlite:$db" --demo
exec build/bin/calvane desk --db "sqlite:$db"
