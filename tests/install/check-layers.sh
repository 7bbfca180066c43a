#!/usr/bin/env bash
# The folders under src/ are modules in layers, and includes run one way:
#   app, page > dialogs > listui, ui
#   > render, render/qt, list, status, status/services, transfer, couriers, barcode
#   > config, store, tracking, pageprotocol > platform, platform/qt
# A sub-folder with a rank of its own (render/qt) is a module of its own; any other
# sub-folder belongs to its folder's module. A file may include headers of its own
# module, of a lower layer, and of another module of its own layer as long as that
# module does not include it back. An include that breaks this fails the check, and so
# does a module missing from the table or code left in res/ (which keeps data only).
# cmake/Modules.cmake holds the modules' links to the same rule.
#
# Usage: check-layers.sh <source folder>
set -euo pipefail

source_dir=$1
declare -A rank=(
    [platform]=0 [platform/qt]=0
    [config]=1 [store]=1 [tracking]=1 [pageprotocol]=1
    [render]=2 [render/qt]=2 [list]=2 [status]=2 [status/services]=2 [transfer]=2 [couriers]=2 [barcode]=2
    [listui]=3 [ui]=3
    [dialogs]=4
    [app]=5 [page]=5
)
declare -A edges=()

# The module of a path under src/ ("render/qt/QtImageList.h" is render/qt,
# "render/MarkupRenderer.h" is render); empty for a path of no module.
module_of() {
    local first=${1%%/*} rest=${1#*/}
    local second=${rest%%/*}
    if [ "$rest" != "$1" ] && [ "$second" != "$rest" ] && [ -n "${rank["$first/$second"]+set}" ]; then
        echo "$first/$second"
    elif [ "$first" != "$1" ]; then
        echo "$first"
    fi
}

failed=0
cd "$source_dir"
# Outside a git checkout there is nothing to read, which must not pass as clean.
files=$(git ls-files 'src/*.h' 'src/*.cpp' 'res/*.h' 'res/*.cpp')
[ -n "$files" ] || { echo "check-layers: no sources under src/ in a git checkout at $source_dir" >&2; exit 1; }
while IFS= read -r file; do
    if [ "${file#res/}" != "$file" ]; then
        echo "check-layers: $file: res/ keeps data only; code belongs to a module under src/" >&2
        failed=1
        continue
    fi
    folder=$(module_of "${file#src/}")
    if [ -z "$folder" ] || [ -z "${rank[$folder]+set}" ]; then
        echo "check-layers: $file: folder '${folder:-src}' has no layer" >&2
        failed=1
        continue
    fi
    while IFS= read -r path; do
        included=$(module_of "$path")
        [ -z "$included" ] || [ "$included" = "$folder" ] && continue
        if [ -z "${rank[$included]+set}" ]; then
            continue # a library's own folder, such as SQLiteCpp/ or nlohmann/
        fi
        if [ "${rank[$included]}" -gt "${rank[$folder]}" ]; then
            echo "check-layers: $file includes $included/, a higher layer than $folder/" >&2
            failed=1
        elif [ "${rank[$included]}" -eq "${rank[$folder]}" ]; then
            edges["$folder $included"]="$file"
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([A-Za-z0-9_/.+-]*\)".*/\1/p' "$file" | sort -u)
done <<<"$files"

for edge in "${!edges[@]}"; do
    read -r from to <<<"$edge"
    if [ -n "${edges["$to $from"]+set}" ] && [[ "$from" < "$to" ]]; then
        echo "check-layers: $from/ and $to/ include each other (${edges[$edge]}, ${edges["$to $from"]})" >&2
        failed=1
    fi
done
exit "$failed"
