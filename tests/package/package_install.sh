#!/usr/bin/env bash
# package_install.sh BUILD_DIR STAGE_DIR: makes the .deb files, unpacks them into STAGE_DIR and
# uses the installed clinic from there, with nothing of the build tree on any search path.
set -euo pipefail
build=$1
stage=$2
fail() { echo "package_install: $*" >&2; exit 1; }
# Whether a command's output holds a pattern. The output is taken whole first: with pipefail,
# `cmd | grep -q` fails whenever grep stops reading before cmd has written everything.
says() { local out; out=$("${@:2}") || return 1; grep -q -- "$1" <<<"$out"; }

rm -rf "$stage"
mkdir -p "$stage/debs" "$stage/root" "$stage/work"
(cd "$stage/debs" && cpack -G DEB --config "$build/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$stage/debs/cpack.log" >&2; fail "cpack failed"; }
debs=("$stage"/debs/*.deb)
[ ${#debs[@]} -eq 2 ] || fail "expected the calvane and calvane-dev packages, got: ${debs[*]}"
for d in "${debs[@]}"; do dpkg-deb -x "$d" "$stage/root"; done
usr="$stage/root/usr"

# Every shared library carries a versioned SONAME that matches its file.
libs=$(find "$usr" -name '*.so.*' -type f)
[ -n "$libs" ] || fail "no shared library installed"
for lib in $libs; do
  soname=$(objdump -p "$lib" | awk '/SONAME/ {print $2}')
  [[ "$soname" =~ \.so\.[0-9]+$ ]] || fail "$lib has no versioned SONAME ($soname)"
  [ -e "$(dirname "$lib")/$soname" ] || fail "$lib: no file named after its SONAME $soname"
done
# The libraries sit in Debian's multiarch directory, where the dynamic linker looks.
multiarch=$(gcc -print-multiarch)
[ -e "$usr/lib/$multiarch/libcalvane.so" ] || fail "libcalvane.so is not in /usr/lib/$multiarch"
# The runtime package names the run-time dependencies the binaries need.
says libqt6widgets6 dpkg-deb -f "$stage"/debs/calvane_*.deb Depends || fail "calvane does not depend on Qt Widgets"
says libpq5 dpkg-deb -f "$stage"/debs/calvane_*.deb Depends || fail "calvane does not depend on libpq"
says libsqlite3-0 dpkg-deb -f "$stage"/debs/calvane_*.deb Depends || fail "calvane does not depend on sqlite3"

for f in bin/calvane share/man/man1/calvane.1 share/applications/calvane-desk.desktop \
  share/icons/hicolor/scalable/apps/calvane-desk.svg include/calvane/calvane.h; do
  [ -e "$usr/$f" ] || fail "not installed: /usr/$f"
done
grep -q '^Exec=calvane desk' "$usr/share/applications/calvane-desk.desktop" || fail "desktop entry does not open the desk"
man -l "$usr/share/man/man1/calvane.1" >/dev/null 2>&1 || fail "man page does not format"

# The tool and the desk run from the staging root, finding the module's libraries there.
unset LD_LIBRARY_PATH
says "$stage/root/usr/.*libcalvane_engine" ldd "$usr/bin/calvane" || fail "calvane does not load the staged engine"
export XDG_DATA_HOME="$stage/work/data" XDG_CONFIG_HOME="$stage/work/config" CALVANE_SETTINGS="$stage/work/Kelvask.ini"
"$usr/bin/calvane" init --demo >"$stage/work/init.txt"
[ -f "$XDG_DATA_HOME/calvane/clinic.sqlite" ] || fail "init did not create the clinic in the data folder"
grep -q "^next:" "$stage/work/init.txt" || fail "init does not say what to do next"
says "the desk opened" "$usr/bin/calvane" desk --once || fail "the desk did not open"

# A host builds against the -dev files through pkg-config and opens the clinic.
pc=$(find "$usr" -name calvane.pc)
export PKG_CONFIG_PATH=$(dirname "$pc")
[[ "$(pkg-config --variable=libdir calvane)" -ef "$(dirname "$(find "$usr" -name 'libcalvane.so')")" ]] ||
  fail "pkg-config's libdir is not where libcalvane.so is"
cat >"$stage/work/host.c" <<'C'
#include <calvane/calvane.h>
#include <stdio.h>
int main(int argc, char** argv)
{
    CalvaneConnection* c = 0;
    if (argc < 2 || CalvaneConnect(argv[1], &c) != 0) {
        fprintf(stderr, "connect failed: %s\n", CalvaneLastError());
        return 1;
    }
    CalvaneDisconnect(c);
    puts("connected");
    return 0;
}
C
cc -o "$stage/work/host" "$stage/work/host.c" $(pkg-config --cflags --libs calvane) -Wl,-rpath,"$(pkg-config --variable=libdir calvane)"
says connected "$stage/work/host" "sqlite:$XDG_DATA_HOME/calvane/clinic.sqlite" || fail "the host could not open the clinic"
echo "package_install: both packages install and run from $stage/root"
