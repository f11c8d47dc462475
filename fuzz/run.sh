#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the ledger loader's fuzz target with clang (its own CMake project, without Qt) and runs
# it for a bounded time. Usage: fuzz/run.sh [seconds], 60 by default. Exits non-zero when the
# target fails.
set -eu

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${FUZZ_BUILD_DIR:-$root/fuzz-build}"
mkdir -p "$out/corpus"

cmake -S "$root/fuzz" -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None >/dev/null
cmake --build "$out" -j"$(nproc)" --target ledger_fuzz

# Every input is written as a ledger file: a memory-backed folder keeps that cheap.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    TMPDIR=/dev/shm
    export TMPDIR
fi

# Crash reproducers are written to the build folder; new inputs go to its corpus folder, the
# committed examples are only read.
cd "$out"
exec ./ledger_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=8192 -print_final_stats=1 "$out/corpus" "$root/fuzz/corpus"
