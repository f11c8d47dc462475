#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# tools/check-layers on small source trees: each upward include is refused, whatever its header's
# name, and a tree that includes only downwards passes.
set -euo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# case name, expected exit code, then "file:included header" pairs
expect() {
    local name=$1 expected=$2 tree="$work/$1"
    shift 2
    local pair
    for pair in "$@"; do
        mkdir -p "$tree/$(dirname "${pair%%:*}")"
        printf '#include "%s"\n' "${pair#*:}" >>"$tree/${pair%%:*}"
    done
    local status=0
    "$check" "$tree" >"$work/$name.out" || status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL $name: exit $status, expected $expected"; cat "$work/$name.out"
        failures=$((failures + 1))
    fi
}

expect the-system-layer-reaching-up-to-qt 1 system/files.cpp:platform/window.h
expect a-header-with-a-digit-in-its-name 1 model/period.cpp:platform/utf8.h
expect storage-below-the-window 1 storage/ledger.h:platform/image.h
expect downwards-only 0 app/program.cpp:platform/window.h platform/image.h:model/geometry.h \
    model/period.h:system/date.h view/page.cpp:view/page.h
exit "$failures"
