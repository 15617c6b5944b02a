#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the desk need, when missing.
# Runs as root on Debian 12 (or with sudo available); does nothing when all is present.
set -euo pipefail

packages=(
  cmake g++ ccache pkg-config make
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6opengl6-dev
  qt6-translations-l10n
  libgl-dev
  # The benchmarks' bare side talks to SQLite and PostgreSQL directly.
  libsqlite3-dev libpq-dev
  postgresql
  fonts-wqy-zenhei
  poppler-utils
  xvfb xauth
)

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
