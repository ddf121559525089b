#!/usr/bin/env bash
# Mutation testing of the plug-in's own code: universalmutator writes every
# mutant of the sources in frame/ modules/ dialogs/ controls/ board/ host/, a seeded
# order of them is walked, and each that compiles is built and run against
# the CTest suite, one at a time, in a copy of the tree (the work tree and
# build/ stay as they are), under the project's own Wine session.
#
#   bash scripts/mutation.sh [N] [--from K]
#
# N mutants that compile (default 100), after the K-th of the seeded order
# (default: after the last one already judged). Each verdict goes to a result
# file that slices run on different days add up in:
# build-mutation/results-seed<S>.txt. KORVU_MUTATION_SEED picks the order
# (default 1).
#
# With UNIVERSALMUTATOR_PYTHONPATH set to the folders of a copy of
# universalmutator's source and comby-python's (as PYTHONPATH takes them),
# universalmutator runs from there on Debian's own Python; without it, it
# comes from the Python package index into a virtual environment here.
#
# What makes a mutant cheap: a mutant whose file does not compile costs one
# compile of that file; one whose object is byte for byte the original's is
# equivalent and costs no more; the suite stops at its first failing test;
# the test programs run first, the host program's cases and the programs'
# second runs after them, and the stress test, the slowest, only for a
# mutant that passed the rest; the build makes only what the tests run.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
count=100 from=""
while [ $# -gt 0 ]; do
    case "$1" in
    --from) from=${2:-}; shift 2 ;;
    *) count=$1; shift ;;
    esac
done
for n in "$count" "${from:-0}"; do
    case "$n" in ''|*[!0-9]*) echo "mutation: N and K are whole numbers, not '$n'" >&2; exit 2 ;; esac
done
seed=${KORVU_MUTATION_SEED:-1}
work=${KORVU_MUTATION_DIR:-$root/build-mutation}
results="$work/results-seed$seed.txt"

sh "$root/scripts/setup.sh" || exit 1
mkdir -p "$work"
if [ -n "${UNIVERSALMUTATOR_PYTHONPATH:-}" ]; then
    pythonpath=$(cd "$root" && for p in ${UNIVERSALMUTATOR_PYTHONPATH//:/ }; do (cd "$p" 2>/dev/null && pwd); done |
                 paste -sd:)
    mutate() { PYTHONPATH="$pythonpath" /usr/bin/python3 -m universalmutator.genmutants "$@"; }
    if ! PYTHONPATH="$pythonpath" /usr/bin/python3 -c 'import universalmutator.genmutants' 2>/dev/null; then
        echo "mutation: universalmutator does not load from UNIVERSALMUTATOR_PYTHONPATH=$UNIVERSALMUTATOR_PYTHONPATH" >&2
        exit 2
    fi
else
    if ! python3 -c 'import venv, ensurepip' 2>/dev/null; then
        echo "mutation: needs python3-venv (apt-get install python3-venv)" >&2
        exit 2
    fi
    if [ ! -x "$work/venv/bin/mutate" ]; then
        python3 -m venv "$work/venv" || exit 2
        if ! "$work/venv/bin/pip" install -q universalmutator; then
            echo "mutation: universalmutator could not be installed from the Python package index;" \
                 "set UNIVERSALMUTATOR_PYTHONPATH to a copy of its source (the README's \"Mutation testing\")" >&2
            exit 2
        fi
    fi
    mutate() { "$work/venv/bin/mutate" "$@"; }
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

# The suite but for the two clean builds of the reproducibility check (a
# mutant changes no build rule), in three passes from the quickest to kill:
# the test programs once; the rest but the stress test (the host program's
# cases, the programs again on another host and through the trace driver);
# the stress test.
programs='_tests$'
slow='^stress_tests$'
ctest_pass() {  # log, ctest arguments
    local log=$1
    shift
    (cd "$KORVU_BUILD" && ctest -LE build --stop-on-failure --timeout 900 "$@" >"$work/$log" 2>&1)
}
suite() { ctest_pass ctest.log -R "$programs" -E "$slow" && ctest_pass ctest-rest.log -E "$programs|$slow"; }
stress() { ctest_pass stress.log -R "$slow" --timeout 1500; }
first_failure() { grep -h -m1 -oE '[0-9]+ - [A-Za-z0-9_]+' "$work/ctest.log" "$work/ctest-rest.log" 2>/dev/null | head -1 | sed 's/.* - //'; }
if [ ! -s "$results" ]; then
    { suite && stress; } || { echo "mutation: the unmutated suite fails; see $work/ctest*.log" >&2; exit 1; }
fi

# Every mutant of every source, once per tree; then the seeded order.
mutants="$work/mutants"
stamp=$(cd "$src" && cat $(find frame modules dialogs controls board host -name '*.cpp' -o -name '*.h' | sort) |
        sha1sum | cut -c1-12)
if [ "$(cat "$mutants/stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$mutants" "$work/objects"  # the originals' objects too: a header may have changed
    mkdir -p "$mutants"
    for f in $(cd "$src" && find frame modules dialogs controls board host -name '*.cpp' | sort); do
        mkdir -p "$mutants/$(dirname "$f")"
        (cd "$mutants/$(dirname "$f")" && mutate "$src/$f" cpp --noCheck --mutantDir . >/dev/null 2>&1)
    done
    echo "$stamp" >"$mutants/stamp"
fi
# The originals' objects hold only while the compile commands do.
commands=$(sha1sum <"$KORVU_BUILD/compile_commands.json" | cut -c1-12)
if [ "$(cat "$work/objects/stamp" 2>/dev/null)" != "$commands" ]; then
    rm -rf "$work/objects"
    mkdir -p "$work/objects"
    echo "$commands" >"$work/objects/stamp"
fi
order="$work/order-seed$seed.txt"
(cd "$mutants" && find . -name '*.mutant.*' | sed 's|^\./||' | sort |
     shuf --random-source=<(yes "korvu mutation sample $seed")) >"$order"
[ -n "$from" ] || from=$(awk '{print $1}' "$results" 2>/dev/null | sort -n | tail -1)
from=${from:-0}

# The command that compiles a source, from the build's compile_commands.json,
# with its object elsewhere and no debug information (equal code, equal bytes).
compile_object() {  # source object
    python3 - "$KORVU_BUILD/compile_commands.json" "$1" "$2" <<'EOF'
import json, shlex, subprocess, sys
entries, source, obj = json.load(open(sys.argv[1])), sys.argv[2], sys.argv[3]
entry = next(e for e in entries if e["file"] == source)
args = shlex.split(entry["command"])
args[args.index("-o") + 1] = obj
sys.exit(subprocess.call(args + ["-g0"], cwd=entry["directory"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
EOF
}

touch "$results"
survivors="$work/survivors-seed$seed.diff"
touch "$survivors"
began=$(date +%s) judged=0 compiled=0
index=$from
total=$(wc -l <"$order")
while [ "$compiled" -lt "$count" ] && [ "$index" -lt "$total" ]; do
    index=$((index + 1))
    m=$(sed -n "${index}p" "$order")
    grep -q " $m:" "$results" && continue
    # host/binding.mutant.12.cpp mutates host/binding.cpp
    target=$(echo "$m" | sed -E 's/\.mutant\.[0-9]+\././')
    original="$work/original.cpp"
    cp "$src/$target" "$original"
    [ -f "$work/objects/$target.o" ] || { mkdir -p "$(dirname "$work/objects/$target")"; compile_object "$src/$target" "$work/objects/$target.o"; }
    cp "$mutants/$m" "$src/$target"
    if ! compile_object "$src/$target" "$work/mutant.o"; then
        verdict="does not compile"
    elif cmp -s "$work/mutant.o" "$work/objects/$target.o"; then
        verdict="equivalent (the same object)"
    elif ! cmake --build "$KORVU_BUILD" --target korvu_tests -j "$(nproc)" >/dev/null 2>&1; then
        verdict="does not build"
    elif rm -f "$work/ctest-rest.log" && ! suite; then
        verdict="killed by $(first_failure)"
    elif ! stress; then
        verdict="killed by stress_tests"
    else
        verdict="SURVIVED"
        diff -u "$original" "$src/$target" | sed "1s|.*|--- $target|;2s|.*|+++ $m|" >>"$survivors"
    fi
    cp "$original" "$src/$target"
    touch "$src/$target"
    case "$verdict" in "does not compile"|"does not build") ;; *) compiled=$((compiled + 1)) ;; esac
    judged=$((judged + 1))
    echo "$index $m: $verdict" | tee -a "$results"
done
cmake --build "$KORVU_BUILD" --target korvu_tests -j "$(nproc)" >/dev/null 2>&1
seconds=$(($(date +%s) - began))

# The whole result file, every slice of this seed.
killed=$(grep -c ': killed' "$results")
survived=$(grep -c ': SURVIVED' "$results")
equivalent=$(grep -c ': equivalent' "$results")
broken=$(grep -cE ': does not (compile|build)' "$results")
echo
cat "$survivors"
echo "this slice: $judged mutants from the ${from}th of seed $seed in ${seconds} s" \
     "($([ "$judged" -gt 0 ] && echo $((seconds / judged)) || echo 0) s a mutant)"
echo "mutants: $killed killed, $survived survived, $equivalent equivalent (the same object)," \
     "$broken did not compile (seed $seed, $results)"
[ $((killed + survived)) -gt 0 ] &&
    echo "score: $((100 * killed / (killed + survived))) % of the $((killed + survived)) compiled mutants that are not equivalent"
exit 0
