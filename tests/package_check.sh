#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build as a system package would and validates the desktop entry, the metainfo, the
# icons and the manual pages (each option of --help must be described in both), then builds the
# Debian package and checks its file list, its dependencies, its version, lintian's verdict and
# the hardening of the program in it. A second install into a folder of the user's own must start
# the program from there. A build that is not hardened (debug, sanitizers) only has lintian's
# errors and warnings checked.
set -eu
build="$1"
work="$2"
hardened="${3:-1}"
id=org.monedario.MonedarioPro
sizes="16 22 24 32 48 64 128 256"
fail() { echo "FAILED: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
expected=$({
    echo ./usr/bin/monedario
    echo ./usr/share/applications/$id.desktop
    echo ./usr/share/doc/monedario/changelog.gz
    echo ./usr/share/doc/monedario/copyright
    for size in $sizes; do echo "./usr/share/icons/hicolor/${size}x$size/apps/$id.png"; done
    echo ./usr/share/icons/hicolor/scalable/apps/$id.svg
    echo ./usr/share/man/es/man1/monedario.1.gz
    echo ./usr/share/man/man1/monedario.1.gz
    echo ./usr/share/metainfo/$id.metainfo.xml
    echo ./usr/share/mime/packages/$id.xml
} | LC_ALL=C sort)

stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
staged=$(cd "$stage" && find . ! -type d | LC_ALL=C sort)
[ "$staged" = "$expected" ] || fail "installed files are:
$staged"
entry="$stage/usr/share/applications/$id.desktop"
grep -qx 'Exec="/usr/bin/monedario" %f' "$entry" || fail "Exec of $entry"
grep -qx 'Exec="/usr/bin/monedario" --nuevo-periodo' "$entry" || fail "the new period action"
grep -qx 'Exec="/usr/bin/monedario" --historial' "$entry" || fail "the history action"
grep -qx 'Name\[es\]=Historial de periodos' "$entry" || fail "the history action's name"
grep -qx "Icon=$id" "$entry" || fail "Icon of $entry"
grep -qx "MimeType=application/x-monedario-period;" "$entry" || fail "MimeType of $entry"
# A kept period has its own type, by name where the name outranks "*.log" and by content where
# it does not (GLib's file managers): two day records open it, a text log stays a text log.
cp -r "$stage/usr/share/mime" "$work/mime"
update-mime-database "$work/mime" || fail "update-mime-database"
grep -qx "60:application/x-monedario-period:ahorros-\*.log" "$work/mime/globs2" ||
    fail "the kept period's type in globs2"
record() { head -c 61 /dev/zero; printf '\001\000\000\000'; head -c 12 /dev/zero; }
{ record; record; } >"$work/ahorros-2026-11-01.log"
{ record; record; } >"$work/noviembre.log"
printf 'log line\n' >"$work/sistema.log"
for case in ahorros-2026-11-01.log:application/x-monedario-period \
    noviembre.log:application/x-monedario-period sistema.log:text/x-log; do
    type=$(XDG_DATA_DIRS="$work:/usr/share" XDG_DATA_HOME="$work/none" \
        gio info -a standard::content-type "$work/${case%%:*}" | sed -n 's/.*content-type: //p')
    [ "$type" = "${case#*:}" ] || fail "${case%%:*} is seen as $type"
done
desktop-file-validate "$entry"
appstreamcli validate --pedantic --no-net "$stage/usr/share/metainfo/$id.metainfo.xml"
for size in $sizes; do
    file "$stage/usr/share/icons/hicolor/${size}x$size/apps/$id.png" |
        grep -q ": PNG image data, $size x $size," || fail "the ${size}x$size icon is not that size"
done

# Every option --help lists (as "  -h, --help  ...") heads an item of each manual page, which
# renders without a warning.
options=$("$stage/usr/bin/monedario" --help | grep -oE '^  -[-[:alnum:]]+(, -[-[:alnum:]]+)*' |
    grep -oE -- '-[-[:alnum:]]+')
[ -n "$options" ] || fail "no options found in --help"
for page in man1/monedario.1.gz es/man1/monedario.1.gz; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$stage/usr/share/man/$page" \
        >"$work/page.txt" 2>"$work/page.err" || fail "man -l $page"
    [ ! -s "$work/page.err" ] || { cat "$work/page.err"; fail "man -l $page warns"; }
    for option in $options; do
        grep -qE -- "^       (-[-[:alnum:]]+, )*$option([ ,=[]|\$)" "$work/page.txt" ||
            fail "$page does not describe $option"
    done
done

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
# Lintian's notes ("I:") tell of missing hardening too, which only a hardened build must pass.
levels=error,warning
if [ "$hardened" = 1 ]; then levels=$levels,info; fi
lintian --pedantic --display-info --fail-on "$levels" "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian"; }
dpkg-deb -x "$deb" "$work/unpacked"
program="$work/unpacked/usr/bin/monedario"
# Debian 12's C library and start files carry no control-flow marking, so that no program built
# on it can have one: hardening-check is told not to ask for it.
if [ "$hardened" = 1 ]; then
    hardening-check --nocfprotection "$program" >"$work/hardening.log" ||
        { cat "$work/hardening.log"; fail "hardening-check"; }
fi
version=$(dpkg-deb -f "$deb" Version)
[ "$("$program" --version)" = "Monedario Pro $version" ] || fail "--version is not $version"
grep -q "<release version=\"$version\"" "$work/unpacked/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo's release is not $version"

own="$work/own folder"
cmake --install "$build" --prefix "$own" >/dev/null
grep -qx "Exec=\"$own/bin/monedario\" %f" "$own/share/applications/$id.desktop" ||
    fail "Exec of the per-user entry"
desktop-file-validate "$own/share/applications/$id.desktop"
echo "package $(basename "$deb"): $(echo "$packaged" | wc -l) files; Depends: $depends"
