#!/usr/bin/env bash
# The mutation check: makes the small faults listed in scripts/mutants.list one
# at a time, rebuilds, runs the test suite, and reports every fault no test
# caught. Not part of CI; run it after changing tests or code, with nice:
#
#   nice bash scripts/mutants.sh [FOLDER...]     # default: board sim app
#
# FOLDER is board, sim, app or tools/tm3. The checkout is never edited: the
# tree is copied to build-mutants/pristine, then to build-mutants/src (only
# changed files are copied again, so the one build folder build-mutants/build
# rebuilds incrementally); each fault is made in src and undone from pristine.
#
# mutants.list holds one fault a line:   FILE[#N]: ORIGINAL => REPLACEMENT
# ORIGINAL is exact text of FILE; without #N it must occur exactly once, with
# #N the N-th occurrence is changed. A fault whose text is no longer found (or
# is no longer unique) is reported as stale, so the list can be mended when the
# code around it moves. An empty REPLACEMENT drops the text.
#
# Options: --check only lists the stale lines. Environment: MUTANTS_COMMIT (a
# commit to check instead of the checkout as it is, e.g. for a baseline),
# MUTANTS_DIR (another work folder, so two runs can go side by side),
# MUTANTS_TIMEOUT (seconds per test run, default 60; a fault that hangs counts
# as caught), MUTANTS_MATCH (a grep -E pattern: only the list lines that
# match), MUTANTS_EXCLUDE (gtest patterns left out, e.g. '*EndToEnd*').
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
list=${MUTANTS_LIST:-$root/scripts/mutants.list}
work=${MUTANTS_DIR:-$root/build-mutants}
commit=${MUTANTS_COMMIT:-}
pristine=$work/pristine
src=$work/src
build=$work/build
timeout_seconds=${MUTANTS_TIMEOUT:-60}
match=${MUTANTS_MATCH:-}
exclude=${MUTANTS_EXCLUDE:-}
matrix=${MUTANTS_MATRIX:-}

check_only=
if [ "${1:-}" = --check ]; then check_only=1; shift; fi
folders=("$@")
[ ${#folders[@]} -eq 0 ] && folders=(board sim app)
for i in "${!folders[@]}"; do folders[$i]=${folders[$i]%/}; done

# ---- The scratch copy ----

# The tree to check, as it is now or as MUTANTS_COMMIT has it, into pristine.
snapshot_tree() {
    local file
    rm -rf "$pristine.new"
    mkdir -p "$pristine.new"
    if [ -n "$commit" ]; then
        git -C "$root" archive "$commit" | tar -x -C "$pristine.new" || exit 2
    else
        while IFS= read -r -d '' file; do
            [ -f "$root/$file" ] || continue
            mkdir -p "$(dirname "$pristine.new/$file")"
            cp "$root/$file" "$pristine.new/$file"
        done < <(cd "$root" && git ls-files -z -co --exclude-standard)
    fi
    rm -rf "$pristine"
    mv "$pristine.new" "$pristine"
}

# Copies the files of pristine that differ into src, and removes from src what
# pristine does not have.
sync_tree() {
    mkdir -p "$src"
    local file
    while IFS= read -r -d '' file; do
        file=${file#./}
        if ! cmp -s "$pristine/$file" "$src/$file"; then
            mkdir -p "$(dirname "$src/$file")"
            cp "$pristine/$file" "$src/$file"
        fi
    done < <(cd "$pristine" && find . -type f -print0)
    while IFS= read -r -d '' file; do
        file=${file#./}
        [ -f "$pristine/$file" ] || rm -f "$src/$file"
    done < <(cd "$src" && find . -type f -print0)
}

# apply_mutant FILE INDEX ORIGINAL REPLACEMENT: changes the scratch copy of
# FILE; exit status 2 when the text is not found, 3 when it is not unique.
apply_mutant() {
    perl -e '
        my ($file, $n, $orig, $repl) = @ARGV;
        open(my $in, "<", $file) or exit 2;
        local $/; my $text = <$in>; close $in;
        my @at; my $i = -1;
        while (($i = index($text, $orig, $i + 1)) >= 0) { push @at, $i; }
        if ($n == 0) { exit 2 if !@at; exit 3 if @at > 1; $n = 1; }
        exit 2 if @at < $n;
        substr($text, $at[$n - 1], length $orig) = $repl;
        open(my $out, ">", $file) or exit 4;
        print $out $text; close $out;
        exit 0;' "$@"
}

restore() { cp "$pristine/$1" "$src/$1"; }

# The tests of a mutant's own folder run first, so most faults are caught in
# a second or two; the rest of the suite runs only when those all pass.
own_tests() {
    case $1 in
    board) echo 'Board*:Level*:FileIo*' ;;
    sim) echo 'Sim*' ;;
    app) echo 'App*' ;;
    tools/tm3) echo 'Tm3*:SimTm3*' ;;
    *) echo '*' ;;
    esac
}

# run_tests FOLDER: 0 when every test passes.
run_tests() {
    [ -n "$matrix" ] && { run_all_tests; return; }
    local own rest
    own=$(own_tests "$1")
    rest="*-$own"
    [ -n "$exclude" ] && rest="$rest:$exclude" && own="$own-$exclude"
    (cd "$build" && timeout "$timeout_seconds" ./tumbleon_tests --gtest_brief=1 --gtest_fail_fast \
        --gtest_filter="$own" > "$work/test.log" 2>&1) || return 1
    [ "$own" = '*' ] && return 0
    (cd "$build" && timeout "$timeout_seconds" ./tumbleon_tests --gtest_brief=1 --gtest_fail_fast \
        --gtest_filter="$rest" >> "$work/test.log" 2>&1)
}

# MUTANTS_MATRIX=1: the whole suite for every mutant, no stop at the first
# failure, and the failing tests of each mutant written to matrix.txt, to see
# which tests catch what (slower: for thinning the suite, not for a check).
run_all_tests() {
    local filter='*'
    [ -n "$exclude" ] && filter="*-$exclude"
    (cd "$build" && timeout "$timeout_seconds" ./tumbleon_tests --gtest_filter="$filter" > "$work/test.log" 2>&1)
}

# The tests that failed in test.log, and the one that was running when it crashed or hung.
failed_tests() {
    awk '/^\[ RUN      \]/ { running = $4 } /^\[       OK \]/ { running = "" }
         /^\[  FAILED  \] .*\(/ { print $4; running = "" }
         END { if (running != "") print running "(crashed)" }' "$work/test.log" | sort -u | tr '\n' ' '
}

build_tests() { ninja -C "$build" tumbleon_tests > "$work/build.log" 2>&1; }

# ---- The list ----

# Reads the list into parallel arrays: the line number, file, index, original
# text and replacement of each mutant in the chosen folders.
m_line=() m_file=() m_index=() m_orig=() m_repl=()
read_list() {
    local number=0 line head body file index folder chosen
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        [[ -z "${line// /}" || $line == \#* ]] && continue
        [ -n "$match" ] && ! grep -qE -- "$match" <<< "$line" && continue
        head=${line%%: *}
        body=${line#*: }
        if [[ $head == "$line" || $body != *" => "* && $body != *" =>" ]]; then
            echo "mutants.list:$number: not FILE[#N]: ORIGINAL => REPLACEMENT" >&2
            exit 2
        fi
        file=${head%%#*}
        index=0
        [[ $head == *#* ]] && index=${head#*#}
        chosen=
        for folder in "${folders[@]}"; do [[ $file == "$folder"/* ]] && chosen=1; done
        [ -n "$chosen" ] || continue
        m_line+=("$number")
        m_file+=("$file")
        m_index+=("$index")
        if [[ $body == *" => "* ]]; then
            m_orig+=("${body%% => *}")
            m_repl+=("${body#* => }")
        else
            m_orig+=("${body% =>}")
            m_repl+=("")
        fi
    done < "$list"
}

folder_of() {
    case $1 in
    tools/*) echo "${1%/*}" ;;
    *) echo "${1%%/*}" ;;
    esac
}

# ---- Run ----

# The whole run is one function, read before it starts: editing this file
# while a run goes does not disturb it.
main() {

    read_list
    total=${#m_file[@]}
    if [ "$total" -eq 0 ]; then
        echo "no mutants in ${folders[*]}" >&2
        exit 2
    fi

    started=$(date +%s)
    # --check: only find the stale lines, on a throwaway copy of each file; a
    # run going on in the work folder is left alone.
    if [ -n "$check_only" ]; then
        pristine=$(mktemp -d)
        trap 'rm -rf "$pristine"' EXIT
        snapshot_tree
        bad=0
        for ((m = 0; m < total; m++)); do
            cp "$pristine/${m_file[$m]}" "$pristine/check.tmp" 2>/dev/null || : > "$pristine/check.tmp"
            apply_mutant "$pristine/check.tmp" "${m_index[$m]}" "${m_orig[$m]}" "${m_repl[$m]}"
            case $? in
            0) ;;
            3) echo "stale (not unique) mutants.list:${m_line[$m]} ${m_file[$m]}: ${m_orig[$m]}"; bad=1 ;;
            *) echo "stale (not found) mutants.list:${m_line[$m]} ${m_file[$m]}: ${m_orig[$m]}"; bad=1 ;;
            esac
        done
        echo "$total mutants checked"
        exit $bad
    fi

    echo "==== preparing $work${commit:+ at $commit}"
    snapshot_tree
    sync_tree
    if [ ! -f "$build/build.ninja" ]; then
        # Each fault costs a compile and three links: no debug information,
        # light optimisation and the faster linker keep that short.
        local linker=
        command -v ld.gold > /dev/null && linker=-fuse-ld=gold
        cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -DNDEBUG" -DCMAKE_EXE_LINKER_FLAGS="$linker" \
            -DTUMBLEON_WERROR=OFF -DTUMBLEON_BENCH=OFF > "$work/configure.log" 2>&1 ||
            { cat "$work/configure.log"; exit 2; }
    fi
    # The first build makes everything, generated data included; later ones only the tests.
    if ! ninja -C "$build" > "$work/build.log" 2>&1; then
        echo "the unchanged tree does not build:" >&2
        tail -30 "$work/build.log" >&2
        exit 2
    fi
    for folder in "${folders[@]}"; do
        if ! run_tests "$folder"; then
            echo "the unchanged tree fails its tests; fix them first:" >&2
            grep -E 'FAILED|Failure' "$work/test.log" | head -20 >&2
            exit 2
        fi
    done

    # The file being mutated, put back if the run is interrupted.
    current=
    trap '[ -n "$current" ] && restore "$current"' EXIT
    trap 'exit 130' INT TERM

    declare -A n_total=() n_caught=() n_stale=() n_broken=()
    survivors=() stale=() broken=()
    report=$work/report.txt
    : > "$report"
    [ -n "$matrix" ] && : > "$work/matrix.txt"
    for folder in "${folders[@]}"; do
        n_total[$folder]=0 n_caught[$folder]=0 n_stale[$folder]=0 n_broken[$folder]=0
    done

    for ((m = 0; m < total; m++)); do
        file=${m_file[$m]}
        folder=$(folder_of "$file")
        describe="mutants.list:${m_line[$m]} $file: ${m_orig[$m]} => ${m_repl[$m]}"
        current=$file
        apply_mutant "$src/$file" "${m_index[$m]}" "${m_orig[$m]}" "${m_repl[$m]}"
        status=$?
        if [ $status -ne 0 ]; then
            current=
            n_stale[$folder]=$((n_stale[$folder] + 1))
            reason="not found"
            [ $status -eq 3 ] && reason="not unique"
            stale+=("$describe ($reason)")
            printf '%4d/%d stale     %s\n' $((m + 1)) "$total" "$describe"
            continue
        fi
        n_total[$folder]=$((n_total[$folder] + 1))
        if ! build_tests; then
            verdict=broken
            n_broken[$folder]=$((n_broken[$folder] + 1))
            broken+=("$describe")
        elif run_tests "$folder"; then
            verdict=SURVIVED
            survivors+=("$describe")
        else
            verdict=caught
            n_caught[$folder]=$((n_caught[$folder] + 1))
            [ -n "$matrix" ] && echo "${m_line[$m]} $(failed_tests)" >> "$work/matrix.txt"
        fi
        restore "$file"
        current=
        printf '%4d/%d %-9s %s\n' $((m + 1)) "$total" "$verdict" "$describe"
    done
    # Leave the scratch build matching the checkout.
    build_tests

    {
        echo
        echo "==== survivors (${#survivors[@]})"
        for s in "${survivors[@]}"; do echo "$s"; done
        if [ ${#stale[@]} -gt 0 ]; then
            echo
            echo "==== stale: mend these lines of the list (${#stale[@]})"
            for s in "${stale[@]}"; do echo "$s"; done
        fi
        if [ ${#broken[@]} -gt 0 ]; then
            echo
            echo "==== do not build: mend these lines of the list (${#broken[@]})"
            for s in "${broken[@]}"; do echo "$s"; done
        fi
        echo
        printf '%-10s %8s %8s %9s %6s %9s\n' folder mutants caught survived stale unbuilt
        for folder in "${folders[@]}"; do
            t=${n_total[$folder]} c=${n_caught[$folder]} b=${n_broken[$folder]}
            printf '%-10s %8d %8d %9d %6d %9d\n' "$folder" "$t" "$c" $((t - c - b)) "${n_stale[$folder]}" "$b"
        done
        echo "$(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s"
    } | tee "$report"
}

main "$@"
exit $?
