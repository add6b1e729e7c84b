#!/usr/bin/env bash
# install_check.sh BUILD SOURCE APP_ID: installs BUILD under /usr in a temporary DESTDIR, compares the
# installed files with the expected list, validates the menu entry and the metadata, renders the manual
# pages, and runs the installed programs' --version with the build and source folders hidden (a private
# mount namespace lays empty folders over them, where one can be made), so nothing installed may lean on
# them.
set -euo pipefail
build=$1 source=$2 id=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "install_check: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

expected=$(sort <<LIST
usr/bin/deskcam
usr/bin/deskcam-cli
usr/bin/deskcam-library
usr/bin/deskcam-sim
usr/share/applications/$id.desktop
usr/share/icons/hicolor/128x128/apps/$id.png
usr/share/icons/hicolor/256x256/apps/$id.png
usr/share/icons/hicolor/48x48/apps/$id.png
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/man/man1/deskcam-cli.1.gz
usr/share/man/man1/deskcam-sim.1.gz
usr/share/man/man1/deskcam.1.gz
usr/share/metainfo/$id.metainfo.xml
LIST
)
installed=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
[ "$installed" = "$expected" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"

for size in 48 128 256; do
    file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size" ||
        fail "the $size px icon is not a $size x $size PNG"
done
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "$(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml")"
for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
done

# The programs' --version, run from / with nothing of the caller's environment.
run_versions() {
    cd /
    for program in deskcam deskcam-cli deskcam-sim deskcam-library; do
        env -i PATH="$1/usr/bin" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="${ASAN_OPTIONS:-}" "$program" --version
    done
}
# A private mount namespace lays empty folders over the build and the source folder. Root needs no user
# namespace for it (and a chroot forbids one); a plain user gets root's rights in one of its own.
hider=(unshare --mount)
[ "$(id -u)" -eq 0 ] || hider+=(--map-root-user)
if "${hider[@]}" true 2>/dev/null; then
    versions=$("${hider[@]}" bash -ec "$(declare -f run_versions)"'
        mount -t tmpfs hidden "$1"; mount -t tmpfs hidden "$2"; run_versions "$3"' bash "$build" "$source" "$root")
else
    # Where no mount namespace can be made, the folders cannot be hidden: at least no installed program
    # may look for libraries in them.
    echo "install_check: no mount namespace here; the build and source folders stay visible" >&2
    for program in "$root"/usr/bin/*; do
        ! readelf -d "$program" | grep -E "R(UN)?PATH" | grep -qF -e "$build" -e "$source" ||
            fail "$(basename "$program") looks for libraries in the build or source folder"
    done
    versions=$(run_versions "$root")
fi
version=$(sed -n 's/^project(deskcam VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ "$versions" = "deskcam $version
deskcam-cli $version
deskcam-sim $version
deskcam-library $version" ] || fail "installed --version answered: $versions"
echo "install_check: $(echo "$installed" | wc -l) files installed and checked"
