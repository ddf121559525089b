#!/usr/bin/env bash
# Builds the plug-in, the simulators, the host program and the benchmarks with
# clang for i686-w64-mingw32, every warning an error. The tests are built by
# the GCC build (GoogleTest wants the posix thread model).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVU_CLANG_BUILD:-$root/build-clang}
sh "$root/scripts/setup.sh" || exit 1
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32-clang.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKORVU_BUILD_TESTS=OFF -DKORVU_WARNINGS_AS_ERRORS=ON >"$build.configure.log" 2>&1 \
    || { cat "$build.configure.log"; exit 1; }
if ! cmake --build "$build" -j "$(nproc)" -- --no-print-directory >"$build.build.log" 2>&1; then
    grep -E -B2 -A6 'error|warning' "$build.build.log" | head -80
    echo "clang build: FAILED"
    exit 1
fi
echo "clang build: warning-free ($(ls "$build"/bin/*.dll "$build"/bin/*.exe 2>/dev/null | wc -l) binaries)"
