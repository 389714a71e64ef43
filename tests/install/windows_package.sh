#!/usr/bin/env bash
# The Windows zip and installer that `cpack` makes in BUILD: what the zip holds, how its program is hardened,
# and the installer under wine in a copy of the build's prefix, installed silently, installed again over
# itself and uninstalled, leaving nothing behind.
# Usage: windows_package.sh BUILD VERSION
set -euo pipefail
build=$(realpath "$1") version=$2
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
# Beside the build's prefix, as the copy's files are hard links.
prefix=$build/windows_package.wine
unset DISPLAY WAYLAND_DISPLAY
source "$here/wine_package.sh"
cleanup() {
    [[ ! -d $prefix ]] || WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$work" "$prefix"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# expect_files DIR NAME...: DIR holds exactly these files.
expect_files() {
    local dir=$1
    shift
    local found expected
    found=$(cd "$dir" && find . -type f -printf '%P\n' | sort | tr '\n' ' ')
    expected=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
    [[ $found == "$expected" ]] || fail "$dir holds '$found', not '$expected'"
}

# Windows line ends: every line ends in CR LF.
expect_crlf() {
    [[ -s $1 ]] && ! grep -q $'[^\r]$\|^$' "$1" || fail "$1 has lines that do not end in CR LF"
}

registry_value() {
    wine_run reg query "$wine_uninstall_key" /v "$1" | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}

expect_installed() {
    local dir shortcut
    dir=$(wine_install_dir)
    expect_files "$dir" scrolltest.exe BG.bmp LICENSE.txt README.txt Uninstall.exe
    cmp -s "$dir/BG.bmp" "$build/resources/BG.bmp" || fail "$1: the installed BG.bmp is not the sample picture"
    expect_crlf "$dir/README.txt"
    shortcut=$(wine_shortcut) || fail "$1: no Start-menu shortcut"
    # The shortcut starts the program in its own folder, where BG.bmp is.
    strings -el "$shortcut" | grep -qx 'C:\\Program Files\\scrolltest' ||
        fail "$1: the shortcut does not start the program in C:\\Program Files\\scrolltest"
    [[ $(registry_value DisplayIcon) == 'C:\Program Files\scrolltest\scrolltest.exe' ]] ||
        fail "$1: the uninstaller's DisplayIcon is '$(registry_value DisplayIcon)'"
    [[ $(registry_value DisplayVersion) == "$version" ]] || fail "$1: the registered version is not $version"
    local keys
    keys=$(wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -ci scrolltest)
    ((keys == 1)) || fail "$1: $keys uninstall keys name scrolltest, not one"
}

# expect_resources EXE: the program carries its icon (at 16, 32, 48 and 256 pixels, the 32-pixel picture the
# XPM's own and the 256-pixel one each of its pixels 8 x 8), its version and its manifest, and needs no DLL
# of its own.
expect_resources() {
    local exe=$1 xpm=$here/../../resources/scrolltest.xpm sizes
    wrestool -x --type=14 "$exe" >"$work/icon.ico" || fail "$exe carries no icon"
    sizes=$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | tr '\n' ' ')
    [[ $sizes == '16 32 48 256 ' ]] || fail "$exe's icon has the sizes $sizes, not 16 32 48 256"
    icotool -x -o "$work" "$work/icon.ico"
    [[ $(compare -metric AE "$work"/icon_2_32x32x32.png "$xpm" null: 2>&1) == 0 ]] ||
        fail "$exe's 32-pixel icon is not the XPM's picture"
    convert "$xpm" -sample 800% "$work/xpm-256.png"
    [[ $(compare -metric AE "$work"/icon_4_256x256x32.png "$work/xpm-256.png" null: 2>&1) == 0 ]] ||
        fail "$exe's 256-pixel icon is not the XPM's picture 8 times as large"
    [[ $(wrestool -x --raw --type=16 "$exe" | strings -el -n 3 | grep -A1 -x FileVersion | tail -1) == "$version" ]] ||
        fail "$exe's version resource does not give FileVersion $version"
    wrestool -x --raw --type=24 "$exe" | grep -q '<dpiAwareness.*>PerMonitorV2, PerMonitor<' ||
        fail "$exe's manifest does not declare it aware of each monitor's density"
    # Nothing to ship beside it: every DLL it imports is the system's own.
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
    [[ $dlls == 'ADVAPI32.DLL COMCTL32.DLL DWMAPI.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL WINMM.DLL ' ]] ||
        fail "$exe imports $dlls, not only the system's DLLs"
}

# expect_hardened SHIPPED BUILT: hardened as far as the system's linker and mingw-w64 go. The build's copy of
# the program (BUILT) keeps the symbols that the package's (SHIPPED) is stripped of: they name the functions
# that call the stack protector's and the checked functions' handlers (statically linked from libssp, which
# seeds the guard through ADVAPI32).
expect_hardened() {
    local headers calls fact text pattern
    headers=$(x86_64-w64-mingw32-objdump -p -h "$1")
    calls=$(x86_64-w64-mingw32-objdump -d -C "$2" |
        awk '/^[0-9a-f]+ <.*>:$/ { name = substr($0, index($0, "<")) } /\tcall .*<__[a-z_]*chk[a-z_]*>$/ { print name, $NF }')
    while IFS='|' read -r fact text pattern; do
        grep -Eq "$pattern" <<<"${!text}" || fail "$1 is not $fact"
    done <<'FACTS'
loaded at a random address (no DYNAMIC_BASE)|headers|^\s+DYNAMIC_BASE$
loaded anywhere in the 64-bit address space (no HIGH_ENTROPY_VA)|headers|^\s+HIGH_ENTROPY_VA$
relocatable (no .reloc section)|headers| \.reloc 
kept from running its data (no NX_COMPAT)|headers|^\s+NX_COMPAT$
stack-protected (no function of ours calls __stack_chk_fail)|calls|^<T[A-Za-z0-9_]*::.* <__stack_chk_fail>$
FACTS
}

# expect_fortified: each part of the program is compiled with the checked string and memory functions. A call
# of one shows in the program only where the compiler cannot prove a copy safe, and it may prove every one:
# the flags the build compiles each part with say it.
expect_fortified() {
    local parts unchecked
    parts=$(ls "$build"/{app,window,toolkit,mmtimer}/CMakeFiles/*.dir/flags.make)
    unchecked=$(grep -L '^CXX_DEFINES = .*-D_FORTIFY_SOURCE=2' $parts)
    [[ -n $parts && -z $unchecked ]] || fail "not fortified: $unchecked"
}

(cd "$build" && cpack >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
package=$build/scrolltest-$version-win64

cmake -E chdir "$work" cmake -E tar xf "$package.zip"
expect_files "$work/scrolltest-$version-win64" scrolltest.exe BG.bmp LICENSE.txt README.txt
expect_crlf "$work/scrolltest-$version-win64/LICENSE.txt"
expect_crlf "$work/scrolltest-$version-win64/README.txt"
expect_resources "$work/scrolltest-$version-win64/scrolltest.exe"
expect_hardened "$work/scrolltest-$version-win64/scrolltest.exe" "$build/app/scrolltest.exe"
expect_fortified
echo "zip: the program with its icon, version and manifest, hardened, BG.bmp, LICENSE.txt and README.txt, with Windows line ends"

wine_copy_prefix "$build/wine" "$prefix"
wine_remove_leftovers

wine_install "$package.exe" || fail "the silent installation failed"
expect_installed "installed"
echo "installed under Program Files, with a Start-menu shortcut and an uninstaller with the icon"
wine_install "$package.exe" || fail "the second installation failed"
expect_installed "installed again"
echo "installed again over it: still one set of files and one uninstall key"
wine_uninstall || fail "the silent uninstallation had not ended after 60 s"
left=$(wine_leftovers)
[[ -z $left ]] || fail "the uninstallation left behind:"$'\n'"$left"
echo "uninstalled: nothing of the program left in Program Files, the Start menu or the registry"
