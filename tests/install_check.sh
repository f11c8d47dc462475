#!/bin/sh
# Installs the build into a fresh folder and checks that the folder holds the program, its icon
# and a desktop entry that points at them and validates.
set -eu
build="$1"
prefix="$2"
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/monedario"
test -f "$prefix/monedario.svg"
grep -qx "Exec=\"$prefix/monedario\"" "$prefix/monedario.desktop"
grep -qx "Icon=$prefix/monedario.svg" "$prefix/monedario.desktop"
desktop-file-validate "$prefix/monedario.desktop"
