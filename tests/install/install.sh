#!/usr/bin/env bash
# Installs a built tree as a user would and checks what lands where.
#   install.sh install SOURCE BUILD   cmake --install under a temporary prefix, then again under a DESTDIR
#   install.sh package SOURCE BUILD   cpack -G DEB: the package's name, fields and files
set -euo pipefail
mode=$1 source=$2 build=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# expect_key FILE KEY VALUE
expect_key() {
    local found
    found=$(sed -n "s/^$2=//p" "$1")
    [[ $found == "$3" ]] || fail "$1: $2 is '$found', not '$3'"
}

# check_tree ROOT PREFIX: the files under ROOT, installed for PREFIX, make a menu entry that works.
check_tree() {
    local root=$1 prefix=$2
    local entry=$root$prefix/share/applications/scrolltest.desktop
    local icon=$root$prefix/share/icons/hicolor/32x32/apps/scrolltest.png
    [[ -x $root$prefix/bin/scrolltest ]] || fail "no program in $root$prefix/bin"
    desktop-file-validate "$entry" || fail "$entry is not a valid desktop entry"
    expect_key "$entry" Exec "$prefix/bin/scrolltest"
    expect_key "$entry" Path "$prefix/share/scrolltest"
    expect_key "$entry" Icon scrolltest
    local format
    format=$(identify -format '%m %wx%h %[png:IHDR.color_type] %[png:PLTE.number_colors]' "$icon")
    [[ $format == 'PNG 32x32 3 (Indexed) 16' ]] || fail "$icon is '$format', not a 32x32 PNG with 16 palette colours"
    # The window shows the XPM: the two must not drift apart.
    [[ $(compare -metric AE "$source/resources/scrolltest.xpm" "$icon" null: 2>&1) == 0 ]] ||
        fail "$icon differs from resources/scrolltest.xpm"
    format=$(identify -format '%m %wx%h' "$root$prefix/share/scrolltest/BG.bmp")
    [[ $format == 'BMP3 2400x356' ]] || fail "sample picture is '$format', not makebg's"
}

case $mode in
install)
    cmake --install "$build" --prefix "$work/prefix" >/dev/null
    check_tree "" "$work/prefix"
    DESTDIR=$work/stage cmake --install "$build" --prefix /opt/scrolltest >/dev/null
    check_tree "$work/stage" /opt/scrolltest
    ;;
package)
    (cd "$build" && cpack -G DEB -B "$work" >/dev/null)
    debs=("$work"/*.deb)
    deb=${debs[0]}
    version=$(dpkg-deb -f "$deb" Version)
    [[ ${#debs[@]} == 1 && $(basename "$deb") == "scrolltest_${version}_$(dpkg --print-architecture).deb" ]] ||
        fail "package files: ${debs[*]}"
    [[ $(dpkg-deb -f "$deb" Depends) == *libqt6widgets6* ]] || fail "Depends lacks Qt: $(dpkg-deb -f "$deb" Depends)"
    [[ $(dpkg-deb -f "$deb" Recommends) == qt6-wayland ]] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
    for field in Maintainer Description; do
        [[ -n $(dpkg-deb -f "$deb" "$field") ]] || fail "no $field"
    done
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort | tr '\n' ' ')
    expected='./usr/bin/scrolltest ./usr/share/applications/scrolltest.desktop '
    expected+='./usr/share/icons/hicolor/32x32/apps/scrolltest.png ./usr/share/scrolltest/BG.bmp '
    [[ $files == "$expected" ]] || fail "package files: $files"
    dpkg-deb -x "$deb" "$work/root"
    check_tree "$work/root" /usr
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
