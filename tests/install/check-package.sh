#!/usr/bin/env bash
# Builds the Debian package from a build folder with CPack, unpacks it into a
# scratch root and checks it: the files where the desktop expects them, the
# dependencies computed from the program's shared libraries, the profile in /etc
# kept as a configuration file, no maintainer scripts, and a program that runs.
#
# Usage: check-package.sh <source folder> <build folder> <output folder> [program]
# The package is left in <output folder>. Without a program (not built yet) the
# test reports itself skipped (77).
set -euo pipefail

source_dir=$1
build_dir=$2
output_dir=$3
program=${4:-}

if [ -z "$program" ]; then
    echo "the parcelo program is not built yet: no package to check"
    exit 77
fi
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing (scripts/install-deps installs it)"
        exit 77
    }
done

# shellcheck source=tests/install/install-checks.sh
source "$source_dir/tests/install/install-checks.sh"

architecture=$(dpkg --print-architecture)
package="$output_dir/parcelo_${version}_${architecture}.deb"
rm -f "$package"
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$output_dir" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
[ -f "$package" ] || fail "no $package after cpack: $(cat "$scratch/cpack.log")"

field() { dpkg-deb --field "$package" "$1"; }
[ "$(field Package)" = parcelo ] || fail "the package is called $(field Package)"
[ "$(field Version)" = "$version" ] || fail "the package version is $(field Version), not $version"
# Each shared library the program, its page or its plugin load must come from a package it depends on.
# Every command's output is read whole before it is searched: a reader that stops
# at the first match would kill the writer with SIGPIPE, which pipefail reports.
depends=$(field Depends)
headers=$(objdump -p "$program" "$(dirname "$program")/parcelo-page" "$build_dir/lib/parcelo/status-services.so")
library_cache=$(ldconfig -p)
for soname in $(awk '$1 == "NEEDED" { print $2 }' <<<"$headers" | sort -u); do
    library=$(awk -v name="$soname" '$1 == name { print $NF; exit }' <<<"$library_cache")
    [ -n "$library" ] || fail "$soname is not installed on this machine"
    owners=$(dpkg -S "$(readlink -f "$library")" 2>/dev/null) || owners=$(dpkg -S "$library" 2>/dev/null) ||
        fail "no installed package owns $library"
    owner=${owners%%$'\n'*}
    owner=${owner%%:*}
    # An entry with a version ("libc6 (>= 2.35)") or without one ("libxcb1").
    [[ ", $depends," == *", $owner "* || ", $depends," == *", $owner,"* ]] ||
        fail "Depends lacks $owner (for $soname): $depends"
done
maintainer=$(field Maintainer)
[[ "$maintainer" =~ \<.*@.*\> ]] || fail "no maintainer address: $maintainer"
[ -n "$(field Description)" ] || fail "no description"

dpkg-deb --control "$package" "$scratch/control"
grep -qx /etc/xdg/VELDAN/Parcelo.conf "$scratch/control/conffiles" ||
    fail "the profile in /etc is not a configuration file of the package"
for script in preinst postinst prerm postrm; do
    [ ! -e "$scratch/control/$script" ] || fail "the package has a $script script"
done

contents=$(dpkg-deb --contents "$package")
outside=$(awk '$6 !~ /^\.\/((usr|etc)(\/|$)|$)/ { print $6 }' <<<"$contents")
[ -z "$outside" ] || fail "the package installs outside /usr and /etc: $outside"

root="$scratch/root"
dpkg-deb --extract "$package" "$root"
check_installed_tree "$root" /usr /etc yes
echo "$(basename "$package"): $(du -k "$package" | cut -f1) KiB; Depends: $depends"

# The packaged program runs. Its INSTALLPATH names /usr/share/parcelo, which is
# not there outside a real installation, so the user's own value points into the
# scratch root instead, which also shows that a per-user value wins.
home="$scratch/home"
mkdir -p "$home/.config/VELDAN"
printf '[SETTINGS]\nINSTALLPATH="%s"\n' "$root/usr/share/parcelo" >"$home/.config/VELDAN/Parcelo.conf"
start_program "$root/usr/bin/parcelo" "$home" "$root/etc/xdg" -- -platform offscreen
wait_for_file "$(database_of "$home")" "$last_pid" 30 ||
    fail "the packaged program did not start; output: $(cat "$home.log")"
stop "$last_pid"
echo "the packaged program starts with the user's INSTALLPATH"
