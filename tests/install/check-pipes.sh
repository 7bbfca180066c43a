#!/usr/bin/env bash
# The build, CI and test scripts run with `set -o pipefail`. A pipe whose reader
# may stop before its input ends (head, grep -q, grep -m, grep with its output
# thrown away, sed ...q, awk ... exit) kills the writer with SIGPIPE whenever the
# writer is still writing, and pipefail turns that into a failure that comes and
# goes with timing. This check finds such pipes; capture the output in a variable
# first, or let the reader read all of it.
#
# Usage: check-pipes.sh <source folder> [file...]
# Without files, every script of the project is checked.
set -euo pipefail

source_dir=$1
shift
if [ $# -gt 0 ]; then
    files=("$@")
else
    shopt -s nullglob
    files=("$source_dir"/scripts/* "$source_dir"/tests/*/*.sh "$source_dir"/.ci/run
        "$source_dir"/Makefile "$source_dir"/cmake/*.cmake)
fi

# A single `|` (not `||`), then a reader that may end early, on the same line.
pipe='(^|[^|])\|[[:space:]]*'
early_readers=(
    "${pipe}head([[:space:]]|$)"
    "${pipe}(e|f)?grep[[:space:]]([^|]*[[:space:]])?-[[:alnum:]]*[qmlL]"
    "${pipe}(e|f)?grep[[:space:]][^|]*>[[:space:]]*/dev/null"
    "${pipe}sed[[:space:]][^|]*q"
    "${pipe}awk[[:space:]][^|]*exit"
)

found=0
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    for reader in "${early_readers[@]}"; do
        # grep reads the whole file here; its own output is the report.
        if matches=$(grep -nE "$reader" "$file"); then
            while IFS= read -r line; do
                # Comment lines do not run.
                [[ "${line#*:}" =~ ^[[:space:]]*# ]] && continue
                echo "${file#"$source_dir"/}:$line"
                found=1
            done <<<"$matches"
        fi
    done
done

if [ "$found" -ne 0 ]; then
    echo "FAIL: the lines above pipe into a reader that may stop early" >&2
    exit 1
fi
echo "no pipe into a reader that may stop early in ${#files[@]} files"
