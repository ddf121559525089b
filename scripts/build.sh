# Sourced: configures and builds the project into $KORVU_BUILD (default build/).
KORVU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KORVU_BUILD=${KORVU_BUILD:-$KORVU_ROOT/build}

# korvu_build [TARGET...]: everything, or only the targets named and what they need.
korvu_build() {
    sh "$KORVU_ROOT/scripts/setup.sh" || return 1
    cmake -S "$KORVU_ROOT" -B "$KORVU_BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$KORVU_ROOT/cmake/toolchain-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$KORVU_BUILD.configure.log" 2>&1 \
        || { cat "$KORVU_BUILD.configure.log"; return 1; }
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$KORVU_BUILD" "${targets[@]}" -j "$(nproc)" -- --no-print-directory >"$KORVU_BUILD.build.log" 2>&1 \
        || { grep -E -B2 -A6 'error|Error' "$KORVU_BUILD.build.log" | head -80; return 1; }
    if grep -q 'warning:' "$KORVU_BUILD.build.log"; then
        grep 'warning:' "$KORVU_BUILD.build.log" | sort -u | head -40
    fi
}
