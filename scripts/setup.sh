#!/usr/bin/env bash
# Installs the Debian packages that are missing. Runs as root on Debian 12 (or with sudo
# available); does nothing when all is present.
#   scripts/setup.sh          what the build, the tests, the benchmarks and the desk need
#   scripts/setup.sh --desk   only what building and running the desk needs
set -euo pipefail

# Building the module, the tool and the desk, and running them (pg_dump/pg_restore back up a
# PostgreSQL clinic; the server itself is the clinic's own).
packages=(
  cmake g++ ccache pkg-config make
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  qt6-translations-l10n
  libgl-dev
  libsqlite3-dev libpq-dev libsodium-dev
  postgresql-client
  fonts-wqy-zenhei
)
if [[ "${1:-}" != "--desk" ]]; then
  packages+=(
    # A test of a host that keeps its own QSqlDatabase on the clinic's file beside ours.
    libqt6sql6-sqlite
    # The tests run on a throwaway local server.
    postgresql
    poppler-utils
    xvfb xauth
    # The package test builds the .deb.
    dpkg-dev file
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
