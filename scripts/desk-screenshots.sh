#!/usr/bin/env bash
# Takes the desk's pictures in docs/desk/ on a fresh demo clinic, under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh --target calvane_tool desk_screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CALVANE_SETTINGS="$work/Kelvask.ini"
build/bin/calvane init "sqlite:$work/clinic.sqlite" --demo >/dev/null
mkdir -p docs/desk
# Case 1001 is the demo's gold-card member with a prepaid account and an unpaid receipt.
xvfb-run -a -s "-screen 0 1400x900x24" build/bin/desk_screenshots "sqlite:$work/clinic.sqlite" 1001 docs/desk
