#!/usr/bin/env bash
# Mutation testing of the plug-in's own code: universalmutator (from the
# Python package index, in a virtual environment made here) writes mutants of
# the sources in frame/ board/ modules/ dialogs/ controls/; a seeded random
# sample of them is built and run against the CTest suite, one at a time, in
# a copy of the tree, so the work tree and build/ stay as they are.
#
#   bash scripts/mutation.sh [N]      N mutants (default 100)
#
# KORVU_MUTATION_SEED picks the sample (default 1). A mutant that does not
# compile is skipped; one that leaves every test green survives, and its diff
# is printed at the end. About half a minute a mutant: not for CI.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
count=${1:-100}
seed=${KORVU_MUTATION_SEED:-1}
work=${KORVU_MUTATION_DIR:-$root/build-mutation}
case "$count" in ''|*[!0-9]*) echo "mutation: N must be a whole number, not '$count'" >&2; exit 2 ;; esac

sh "$root/scripts/setup.sh" || exit 1
if ! python3 -c 'import venv, ensurepip' 2>/dev/null; then
    echo "mutation: needs python3-venv (apt-get install python3-venv)" >&2
    exit 2
fi
mkdir -p "$work"
if [ ! -x "$work/venv/bin/mutate" ]; then
    python3 -m venv "$work/venv" || exit 2
    if ! "$work/venv/bin/pip" install -q universalmutator; then
        echo "mutation: universalmutator could not be installed from the Python package index" >&2
        exit 2
    fi
fi

# A copy of the tree as committed plus the work tree's changes, and its build.
src="$work/src"
rm -rf "$src"
mkdir -p "$src"
(cd "$root" && git ls-files -co --exclude-standard | tar -cf - -T -) | tar -xf - -C "$src"
export KORVU_BUILD="$work/build"
source "$src/scripts/build.sh"

korvu_build >/dev/null || { echo "mutation: the unmutated tree does not build" >&2; exit 1; }
source "$src/scripts/wine-session.sh"
wine_session_start "$KORVU_BUILD" || exit 1
# Not the two clean builds of the reproducibility check: a mutant changes no build rule.
run_suite() { (cd "$KORVU_BUILD" && ctest -LE build --timeout 900 >"$work/ctest.log" 2>&1); }
run_suite || { echo "mutation: the unmutated suite fails; see $work/ctest.log" >&2; exit 1; }

# Every mutant of every source, then the seeded sample.
mutants="$work/mutants"
rm -rf "$mutants"
mkdir -p "$mutants"
for f in $(cd "$src" && find frame board modules dialogs controls -name '*.cpp' | sort); do
    mkdir -p "$mutants/$(dirname "$f")"
    (cd "$mutants/$(dirname "$f")" &&
        "$work/venv/bin/mutate" "$src/$f" cpp --noCheck --mutantDir . >/dev/null 2>&1)
done
sample=$(cd "$mutants" && find . -name '*.mutant.*' | sort |
         shuf -n "$count" --random-source=<(yes "korvu mutation sample $seed"))

killed=0 survived=0 broken=0
survivors="$work/survivors.diff"
: >"$survivors"
for m in $sample; do
    m=${m#./}
    # frame/host/binding.mutant.12.cpp mutates frame/host/binding.cpp
    target=$(echo "$m" | sed -E 's/\.mutant\.[0-9]+\././')
    cp "$src/$target" "$work/original"
    cp "$mutants/$m" "$src/$target"
    if ! cmake --build "$KORVU_BUILD" -j "$(nproc)" >/dev/null 2>&1; then
        broken=$((broken + 1))
        verdict="does not compile"
    elif run_suite; then
        survived=$((survived + 1))
        verdict="SURVIVED"
        diff -u "$work/original" "$src/$target" | sed "1s|.*|--- $target|;2s|.*|+++ $m|" >>"$survivors"
    else
        killed=$((killed + 1))
        verdict="killed"
    fi
    cp "$work/original" "$src/$target"
    touch "$src/$target"
    echo "$m: $verdict"
done
cmake --build "$KORVU_BUILD" -j "$(nproc)" >/dev/null 2>&1

tested=$((killed + survived))
echo
cat "$survivors"
echo "mutants: $killed killed, $survived survived, $broken did not compile (seed $seed)"
[ "$tested" -gt 0 ] && echo "score: $((100 * killed / tested)) % of the mutants that compiled"
exit 0
