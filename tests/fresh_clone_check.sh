#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's two commands in one fresh copy of the sources, in the README's order: the run
# command (asked for the version, so that it ends without a window), then the test command's
# build, which must find as many tests as this build has.
set -eu
source="$1"
build="$2"
work="$3"
fail() { echo "FAILED: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/clone"
# What a clone of the sources holds: the tracked files and the new ones not ignored.
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$source" ls-files -z --cached --others --exclude-standard |
        (cd "$source" && xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh) |
        (cd "$source" && tar -cf - --null -T -) | tar -xf - -C "$work/clone"
else
    tar -C "$source" --exclude='./build*' --exclude='./fuzz-build*' -cf - . |
        tar -xf - -C "$work/clone"
fi

expected=$(cd "$build" && ctest -N | sed -n 's/^Total Tests: //p')
[ "${expected:-0}" -gt 0 ] || fail "no tests in $build"

cd "$work/clone"
tools/run-program --version >"$work/run.log" 2>&1 || { tail -40 "$work/run.log"; fail "run"; }
version=$(tail -n 1 "$work/run.log")
echo "run command: $version"
case "$version" in "Monedario Pro "*) ;; *) fail "the run command printed no version" ;; esac
tools/run-tests --list >"$work/tests.log" 2>&1 || { tail -40 "$work/tests.log"; fail "tests"; }
found=$(sed -n 's/^Total Tests: //p' "$work/tests.log")
echo "test command found ${found:-no} tests; this build has $expected"
[ "$found" = "$expected" ] || fail "expected $expected tests"
rm -rf "$work"
