#!/usr/bin/env bash
# install_check.sh BUILD SOURCE APP_ID: installs BUILD under /usr in a temporary DESTDIR, compares the
# installed files with the expected list, validates the menu entry and the metadata, renders the manual
# pages, and runs the installed programs' --version with the build and source folders hidden (a private
# mount namespace lays empty folders over them), so nothing installed may lean on them.
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

# unshare -r maps the caller to root in a new user namespace, so the mounts also work for a plain user.
versions=$(unshare --mount --map-root-user sh -ec '
    mount -t tmpfs hidden "$1"; mount -t tmpfs hidden "$2"; cd /; shift 2
    for program in deskcam deskcam-cli deskcam-sim deskcam-library; do
        env -i PATH="$1/usr/bin" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="${ASAN_OPTIONS:-}" "$program" --version
    done' sh "$build" "$source" "$root")
version=$(sed -n 's/^project(deskcam VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ "$versions" = "deskcam $version
deskcam-cli $version
deskcam-sim $version
deskcam-library $version" ] || fail "installed --version answered: $versions"
echo "install_check: $(echo "$installed" | wc -l) files installed and checked"
