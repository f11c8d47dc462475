#!/bin/sh
# Installs the build as a system package would, validates the desktop entry and the metainfo,
# then builds the Debian package and checks its file list and its library dependencies. A second
# install into a folder of the user's own must start the program from there.
set -eu
build="$1"
work="$2"
id=org.monedario.MonedarioPro
fail() { echo "FAILED: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
expected="./usr/bin/monedario
./usr/share/applications/$id.desktop
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/metainfo/$id.metainfo.xml"

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
staged=$(cd "$work/stage" && find . ! -type d | LC_ALL=C sort)
[ "$staged" = "$expected" ] || fail "installed files are:
$staged"
entry="$work/stage/usr/share/applications/$id.desktop"
grep -qx 'Exec="/usr/bin/monedario"' "$entry" || fail "Exec of $entry"
grep -qx 'Exec="/usr/bin/monedario" --nuevo-periodo' "$entry" || fail "the new period action"
grep -qx "Icon=$id" "$entry" || fail "Icon of $entry"
desktop-file-validate "$entry"
appstreamcli validate --no-net "$work/stage/usr/share/metainfo/$id.metainfo.xml"

(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/*.deb)
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | LC_ALL=C sort)
[ "$packaged" = "$expected" ] || fail "the package holds:
$packaged"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libc6 qt6-qpa-plugins; do
    echo "$depends" | grep -q "$library" || fail "$library missing from Depends: $depends"
done

own="$work/own folder"
cmake --install "$build" --prefix "$own" >/dev/null
grep -qx "Exec=\"$own/bin/monedario\"" "$own/share/applications/$id.desktop" ||
    fail "Exec of the per-user entry"
desktop-file-validate "$own/share/applications/$id.desktop"
echo "package $(basename "$deb"): $(echo "$packaged" | wc -l) files; Depends: $depends"
