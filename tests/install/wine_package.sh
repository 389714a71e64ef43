# Shell functions for tests that run Windows programs under wine, or install the Windows package into a
# copy of a build's wine prefix: source this file, then set WINEPREFIX (wine_copy_prefix sets it).
# Under wine the installer runs as an administrator, so the shortcut is for all users.
#   wine_run PROGRAM [ARG...]      wine64 without .NET and HTML engines, debugger or desktop entries
#   wine_copy_prefix FROM TO       makes TO a copy of the prefix FROM, in a moment, and exports WINEPREFIX=TO
#   wine_install INSTALLER         installs silently; returns when done
#   wine_uninstall                 uninstalls silently and waits (at most 60 s) until every program in the
#                                  prefix has ended and wine has written its registry files; end the
#                                  program first: as on Windows, a running scrolltest.exe stays
#   wine_remove_leftovers          removes what an older uninstaller, or a failed test, left in the prefix
#   wine_leftovers                 prints whatever of the program is in the prefix: files, Start-menu
#                                  entries, and after wine_uninstall registry lines
#   wine_shortcut                  prints the Start-menu shortcut's path, or fails; `wine_run start /unix PATH`
#                                  opens it as the Start menu would, under another process id
#   wine_install_dir, wine_uninstall_key, wine_vendor_key

readonly wine_uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\scrolltest'
readonly wine_vendor_key='HKLM\Software\the scrolltest developers'

wine_run() {
    WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d' /usr/lib/wine/wine64 "$@"
}

# Its windows folder is hard links, as nothing writes into those files: a full copy writes 700 MB (0.5 to 3 s
# here). Everything else (the registry, which wineserver rewrites, and the folders an installer writes into)
# is copied. FROM and TO must be on one file system.
wine_copy_prefix() {
    local from=$1 to=$2
    rm -rf "$to"
    cp -al "$from" "$to"
    (cd "$from" && find . -path ./drive_c/windows -prune -o -type f -print0) |
        while IFS= read -r -d '' file; do
            cp --preserve=all --remove-destination "$from/$file" "$to/$file"
        done
    export WINEPREFIX=$to
}

wine_install_dir() {
    echo "$WINEPREFIX/drive_c/Program Files/scrolltest"
}

wine_shortcut() {
    local programs found
    for programs in "$WINEPREFIX/drive_c/ProgramData" "$WINEPREFIX"/drive_c/users/*/AppData/Roaming; do
        found="$programs/Microsoft/Windows/Start Menu/Programs/Scroll Test/Scroll Test.lnk"
        [[ -f $found ]] && echo "$found" && return 0
    done
    return 1
}

wine_install() {
    wine_run "$1" /S
}

# The uninstaller copies itself away and returns at once; the copy removes what was installed. When every
# program has ended, the server ends too, and writes the registry to the prefix's files.
wine_uninstall() {
    wine_run "$(wine_install_dir)/Uninstall.exe" /S || return
    timeout 60 /usr/lib/wine/wineserver -w
}

wine_leftovers() {
    [[ ! -e $(wine_install_dir) ]] || echo "$(wine_install_dir)"
    find "$WINEPREFIX/drive_c" -path '*/Start Menu/*' -iname '*scroll*'
    grep -H -i -E 'scrolltest|scroll test' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg"
    return 0
}

wine_remove_leftovers() {
    local shortcut key
    if shortcut=$(wine_shortcut); then
        rm -rf "${shortcut%/*}"
    fi
    rm -rf "$(wine_install_dir)"
    for key in "$wine_uninstall_key" "$wine_vendor_key"; do
        wine_run reg delete "$key" /f >/dev/null 2>&1 || true
    done
}
