#!/bin/sh
# Builds the ledger loader's fuzz target with clang (no Qt, no CMake) and runs it for a bounded
# time. Usage: fuzz/run.sh [seconds], 60 by default. Exits non-zero when the target fails.
set -eu

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${FUZZ_BUILD_DIR:-$root/fuzz-build}"
mkdir -p "$out/corpus"

clang++ -std=c++20 -g -O1 -Wall -Wextra \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" \
    "$root/fuzz/ledger_fuzz.cpp" \
    "$root"/src/storage/*.cpp \
    "$root"/src/model/*.cpp \
    "$root/src/format/format.cpp" \
    "$root/src/platform/files.cpp" \
    "$root/src/platform/paths.cpp" \
    "$root/src/platform/clock.cpp" \
    "$root/src/platform/utf8.cpp" \
    -o "$out/ledger_fuzz"

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
