#!/usr/bin/env bash
# The folders under src/ are modules in layers, and includes run one way:
#   app, page > dialogs > listui, ui, res > render, status, transfer, couriers, barcode
#   > config, store, tracking, pageprotocol > platform
# A file may include headers of its own folder, of a lower layer, and of another folder
# of its own layer as long as that folder does not include it back. An include that
# breaks this fails the check, and so does a folder missing from the table.
# layer-exceptions.txt lists the includes still waiting for their file to move
# ("<file> <folder>"); an exception that no longer occurs fails too, so the list only shrinks.
#
# Usage: check-layers.sh <source folder>
set -euo pipefail

source_dir=$1
declare -A rank=(
    [platform]=0
    [config]=1 [store]=1 [tracking]=1 [pageprotocol]=1
    [render]=2 [status]=2 [transfer]=2 [couriers]=2 [barcode]=2
    [listui]=3 [ui]=3 [res]=3
    [dialogs]=4
    [app]=5 [page]=5
)
exceptions_file="$source_dir/tests/install/layer-exceptions.txt"
declare -A exceptions=() used=() edges=()
if [ -f "$exceptions_file" ]; then
    while read -r file folder; do
        [ -z "$file" ] || [ "${file:0:1}" = "#" ] || exceptions["$file $folder"]=1
    done <"$exceptions_file"
fi

failed=0
cd "$source_dir"
while IFS= read -r file; do
    folder=${file#src/}
    folder=${folder%%/*} # res/... is the folder res
    if [ -z "${rank[$folder]+set}" ]; then
        echo "check-layers: $file: folder '$folder' has no layer" >&2
        failed=1
        continue
    fi
    while IFS= read -r included; do
        [ "$included" = "$folder" ] && continue
        if [ -n "${exceptions["$file $included"]+set}" ]; then
            used["$file $included"]=1
            continue
        fi
        if [ -z "${rank[$included]+set}" ]; then
            continue # a library's own folder, such as SQLiteCpp/ or nlohmann/
        fi
        if [ "${rank[$included]}" -gt "${rank[$folder]}" ]; then
            echo "check-layers: $file includes $included/, a higher layer than $folder/" >&2
            failed=1
        elif [ "${rank[$included]}" -eq "${rank[$folder]}" ]; then
            edges["$folder $included"]="$file"
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([A-Za-z0-9_]*\)\/.*/\1/p' "$file" | sort -u)
done < <(git ls-files 'src/*.h' 'src/*.cpp' 'res/*.h' 'res/*.cpp')

for edge in "${!edges[@]}"; do
    read -r from to <<<"$edge"
    if [ -n "${edges["$to $from"]+set}" ] && [[ "$from" < "$to" ]]; then
        echo "check-layers: $from/ and $to/ include each other (${edges[$edge]}, ${edges["$to $from"]})" >&2
        failed=1
    fi
done
for exception in "${!exceptions[@]}"; do
    if [ -z "${used[$exception]+set}" ]; then
        echo "check-layers: '$exception' in layer-exceptions.txt no longer occurs: remove it" >&2
        failed=1
    fi
done
exit "$failed"
