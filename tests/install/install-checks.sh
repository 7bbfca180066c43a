# Checks shared by the install and package tests. Sourced by them after their
# arguments are read; the caller defines $source_dir and $build_dir.

# Every check works in a scratch folder that goes, with the programs it started,
# when the script ends.
scratch=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The version the build folder was configured with (project() in CMakeLists.txt);
# the caller defines $build_dir.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")
[ -n "$version" ] || fail "no CPACK_PACKAGE_VERSION in $build_dir/CPackConfig.cmake"

# The tracking page is a program of its own beside the program, the only one that
# links the web engine; the status services are a plugin: the program itself does not
# load the web engine, the network or the secret store, and everything of the program
# the plugin uses, the program exports. Every output is read whole before it is searched.
check_plugins() { # <program> <plugin folder>
    local program=$1 folder=$2
    local headers page_headers
    headers=$(objdump -p "$program")
    [[ "$headers" != *WebEngine* ]] || fail "$program links the web engine"
    local page
    page="$(dirname "$program")/parcelo-page"
    [ -x "$page" ] || fail "no tracking page program at $page"
    page_headers=$(objdump -p "$page")
    [[ "$page_headers" == *WebEngine* ]] || fail "$page does not link the web engine"
    [[ "$headers" != *Qt6Network* && "$headers" != *keychain* ]] || fail "$program links the network or the secret store"
    local exported plugin needed missing
    exported=$(nm -D --defined-only "$program" | awk '{ print $3 }' | sort -u)
    for plugin in "$folder/status-services.so"; do
        [ -f "$plugin" ] || fail "no plugin at $plugin"
        needed=$(nm -D --undefined-only "$plugin" | awk '$2 ~ /parcelo/ { print $2 }' | sort -u)
        [ -n "$needed" ] || fail "$plugin uses nothing of the program: is it linked with its own copy?"
        missing=$(comm -23 <(echo "$needed") <(echo "$exported"))
        [ -z "$missing" ] || fail "the program does not export what $plugin uses: $missing"
    done
}

# Every file the desktop expects, below <root> for a program installed to
# <prefix> with its system configuration in <sysconfdir>. <with program> empty
# when the program was not built.
check_installed_tree() { # <root> <prefix> <sysconfdir> <with program>
    local root=$1 prefix=$2 sysconfdir=$3 with_program=$4
    local usr="$root$prefix"

    if [ -n "$with_program" ]; then
        [ -x "$usr/bin/parcelo" ] || fail "no program at $prefix/bin/parcelo"
        check_plugins "$usr/bin/parcelo" "$usr/lib/parcelo/plugins"
    fi

    cmp -s "$usr/share/parcelo/parcelo.ini" "$source_dir/res/parcelo.ini" ||
        fail "parcelo.ini is not at $prefix/share/parcelo"

    local desktop="$usr/share/applications/parcelo.desktop"
    [ -f "$desktop" ] || fail "no desktop entry at $prefix/share/applications"
    grep -qx 'Exec=parcelo' "$desktop" || fail "the desktop entry does not start plain 'parcelo'"
    grep -qx 'Icon=parcelo' "$desktop" || fail "the desktop entry does not name the icon 'parcelo'"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
    fi

    local size dimensions
    for size in 16 32 48 64 128; do
        dimensions=$(file -b "$usr/share/icons/hicolor/${size}x${size}/apps/parcelo.png" 2>/dev/null || true)
        [[ "$dimensions" == "PNG image data, $size x $size"* ]] || fail "no ${size}px icon (found: $dimensions)"
    done
    grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/parcelo.svg" || fail "no scalable icon"

    local metainfo="$usr/share/metainfo/com.veldan.Parcelo.metainfo.xml"
    [ -f "$metainfo" ] || fail "no AppStream data at $prefix/share/metainfo"
    grep -q '<launchable type="desktop-id">parcelo.desktop</launchable>' "$metainfo" ||
        fail "the AppStream data does not point at the desktop entry"
    grep -qF "<release version=\"$version\"" "$metainfo" || fail "the AppStream data lacks release $version"
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate --no-net --no-color "$metainfo" >/dev/null ||
            fail "appstreamcli rejects the AppStream data: $(appstreamcli validate --no-net "$metainfo")"
    fi

    local profile="$root$sysconfdir/xdg/VELDAN/Parcelo.conf"
    [ -f "$profile" ] || fail "no system-wide profile at $sysconfdir/xdg/VELDAN/Parcelo.conf"
    grep -qx '\[SETTINGS\]' "$profile" || fail "the system-wide profile has no [SETTINGS] section"
    grep -qxF "INSTALLPATH=\"$prefix/share/parcelo\"" "$profile" ||
        fail "the system-wide profile does not point at $prefix/share/parcelo: $(grep INSTALLPATH "$profile")"
}

# Runs <program> in the background for a fresh account at <home>, with nothing
# from the caller's environment; the system configuration comes from <config
# dirs>. Its output goes to <home>.log. Sets $last_pid and adds it to $started.
start_program() { # <program> <home> <config dirs> [VAR=value...] -- [arguments...]
    local program=$1 home=$2 config_dirs=$3
    shift 3
    local environment=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        environment+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    mkdir -p "$home"
    mkdir -p -m 700 "$scratch/run"
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
        XDG_STATE_HOME="$home/.local/state" XDG_RUNTIME_DIR="$scratch/run" XDG_CONFIG_DIRS="$config_dirs" \
        "${environment[@]}" "$program" "$@" >"$home.log" 2>&1 &
    last_pid=$!
    started+=("$last_pid")
}

database_of() { echo "$1/.local/share/VELDAN/Parcelo/VELDAN.EDB"; }

# Waits until <file> exists while <pid> runs; false after <seconds> or when it ends.
wait_for_file() { # <file> <pid> <seconds>
    local waited=0
    while [ ! -e "$1" ]; do
        kill -0 "$2" 2>/dev/null || return 1
        [ "$waited" -ge $(($3 * 10)) ] && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

# Waits for <pid> to end and sets $exit_code; false after <seconds>.
wait_for_exit() { # <pid> <seconds>
    local waited=0
    while kill -0 "$1" 2>/dev/null; do
        [ "$waited" -ge $(($2 * 10)) ] && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
    exit_code=0
    wait "$1" || exit_code=$?
}

stop() { # <pid>
    kill -TERM "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
