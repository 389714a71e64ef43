#!/usr/bin/env bash
# Installs a built tree as a user would and checks what lands where.
#   install.sh install SOURCE BUILD   cmake --install under a temporary prefix, then again under a DESTDIR
#   install.sh package SOURCE BUILD   cpack -G DEB: the package's name, fields and files, that lintian finds
#                                     nothing, the program hardened, and one version in the package, the
#                                     program, changelog and metainfo
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
    [[ -x $root$prefix/bin/scrolltest ]] || fail "no program in $root$prefix/bin"
    desktop-file-validate "$entry" || fail "$entry is not a valid desktop entry"
    expect_key "$entry" Exec "$prefix/bin/scrolltest"
    expect_key "$entry" Path "$prefix/share/scrolltest"
    expect_key "$entry" Icon scrolltest
    # The metainfo, its tie to the menu entry and the icons, as software centres read them.
    appstreamcli validate-tree --no-net "$root$prefix" >/dev/null ||
        fail "software centres refuse it: $(appstreamcli validate-tree --no-net "$root$prefix")"
    check_icons "$root$prefix/share/icons/hicolor"
    local format
    format=$(identify -format '%m %wx%h' "$root$prefix/share/scrolltest/BG.bmp")
    [[ $format == 'BMP3 2400x356' ]] || fail "sample picture is '$format', not makebg's"
    # The manual page names the files where they were installed.
    zcat "$root$prefix/share/man/man1/scrolltest.1.gz" | grep -q "^\\.I $prefix/share/scrolltest/BG.bmp\$" ||
        fail "the manual page does not name $prefix/share/scrolltest/BG.bmp"
}

# check_icons FOLDER: the window's XPM (16 colours) at every size, each of its pixels a square of the largest
# whole number of pixels that fits, centred on a transparent margin where one is left over (48 pixels).
check_icons() {
    local size format factor margin
    for size in 32 48 64 128 256; do
        local icon=$1/${size}x$size/apps/scrolltest.png
        margin=$((size % 32 ? 1 : 0))
        format=$(identify -format '%m %wx%h %[png:IHDR.color_type] %[png:PLTE.number_colors]' "$icon")
        [[ $format == "PNG ${size}x$size 3 (Indexed) $((16 + margin))" ]] ||
            fail "$icon is '$format', not a ${size}x$size PNG with the XPM's 16 palette colours"
        factor=$((size / 32 * 100))
        convert "$source/resources/scrolltest.xpm" -scale "$factor%" -background none -gravity center \
            -extent "${size}x$size" "$work/icon.png"
        [[ $(compare -metric AE "$work/icon.png" "$icon" null: 2>&1) == 0 ]] ||
            fail "$icon is not resources/scrolltest.xpm scaled by a whole factor"
    done
}

# check_hardened PROGRAM: built as Debian hardens its programs, as hardening-check reads it from the ELF.
check_hardened() {
    local elf fact pattern
    elf=$(readelf -W --file-header --program-headers --dynamic --dyn-syms "$1")
    while IFS='|' read -r fact pattern; do
        grep -Eq "$pattern" <<<"$elf" || fail "$1 is not $fact"
    done <<'FACTS'
position-independent (ELF type DYN)|^ *Type: +DYN\b
marked position-independent (FLAGS_1 PIE)|\(FLAGS_1\) +Flags:.* PIE( |$)
bound at start-up (FLAGS_1 NOW)|\(FLAGS_1\) +Flags:.* NOW( |$)
read-only after relocation (GNU_RELRO)|^ *GNU_RELRO\b
stack-protected (no __stack_chk_fail imported)| UND __stack_chk_fail@
fortified (no checked function __*_chk imported)| UND __[a-z0-9_]+_chk@
FACTS
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
    expected+='./usr/share/doc/scrolltest/changelog.gz ./usr/share/doc/scrolltest/copyright '
    for size in 128 256 32 48 64; do expected+="./usr/share/icons/hicolor/${size}x$size/apps/scrolltest.png "; done
    expected+='./usr/share/man/man1/scrolltest.1.gz ./usr/share/metainfo/org.example.scrolltest.metainfo.xml '
    expected+='./usr/share/scrolltest/BG.bmp '
    [[ $files == "$expected" ]] || fail "package files: $files"
    # Nothing a distribution would remark on, down to its informational and pedantic notes. Its cache file
    # goes with the rest.
    report=$(TMPDIR=$work lintian -I --pedantic "$deb") && [[ -z $report ]] ||
        fail "lintian finds fault with the package: $report"
    dpkg-deb -x "$deb" "$work/root"
    check_hardened "$work/root/usr/bin/scrolltest"
    check_tree "$work/root" /usr
    # One version everywhere: the package's, the program's, the changelog's and the newest release's.
    doc=$work/root/usr/share/doc/scrolltest
    [[ $("$work/root/usr/bin/scrolltest" --version) == "scrolltest $version" ]] ||
        fail "the program's version is not the package's $version"
    [[ $(dpkg-parsechangelog -l "$doc/changelog.gz" -S Version) == "$version" ]] ||
        fail "the changelog's newest version is not the package's $version"
    newest=$(grep -m 1 -o '<release version="[^"]*"' "$work/root/usr/share/metainfo/org.example.scrolltest.metainfo.xml")
    [[ $newest == "<release version=\"$version\"" ]] || fail "the metainfo's newest release is not the package's $version"
    head -n 1 "$doc/copyright" | grep -q '^Format: .*copyright-format/1.0/$' || fail "the copyright file is not DEP-5"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
