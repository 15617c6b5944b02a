#!/usr/bin/env bash
# Installs the build to a scratch prefix, checks what libcalvane exports, builds the C host
# against the installed header and library only (through pkg-config and through
# find_package(Calvane)), and runs it with scripts and no display.
set -euo pipefail
build=$1 here=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export CALVANE_SETTINGS=$tmp/Kelvask.ini # never the machine user's settings
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
lib=$(dirname "$(find "$prefix" -name libcalvane.so | head -1)")

nm -D --defined-only "$lib/libcalvane.so" | awk '$2 == "T" { print $3 }' | LC_ALL=C sort > "$tmp/exports"
diff -u "$here/exports.txt" "$tmp/exports"

export PKG_CONFIG_PATH=$lib/pkgconfig
cc -std=c99 -Wall -Wextra -Werror -o "$tmp/host" "$here/host.c" $(pkg-config --cflags --libs calvane) -Wl,-rpath,"$lib"

mkdir "$tmp/cmake-host"
cat > "$tmp/cmake-host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(host C)
find_package(Calvane REQUIRED)
add_executable(host $here/host.c)
target_link_libraries(host PRIVATE Calvane::calvane)
CMAKE
cmake -S "$tmp/cmake-host" -B "$tmp/cmake-host/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$tmp/cmake-host/build" >/dev/null

"$prefix/bin/calvane" init "sqlite:$tmp/clinic.sqlite" --demo >/dev/null
expected='ReceiptSet 0 stored []
PayForNoCard 1 stored 0 []
MedicineList 1 25.00 阿莫西林胶囊 盒 25.00
ReceiptPrint 0'
for host in "$tmp/host" "$tmp/cmake-host/build/host"; do
  # No display and no platform chosen: a scripted call makes its own offscreen application.
  got=$(env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY QT_LOGGING_RULES='qt.qpa.*=false' \
        "$host" "sqlite:$tmp/clinic.sqlite" "$here/receipt-new.json" "$here/walkin-print.json")
  if [ "$got" != "$expected" ]; then
    printf 'host %s printed:\n%s\nexpected:\n%s\n' "$host" "$got" "$expected" >&2
    exit 1
  fi
done
echo "host calls passed"
