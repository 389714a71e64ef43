# Shell functions for tests that run Windows programs under wine, or install the Windows package into a
# build's wine prefix: source this file with WINEPREFIX set to the prefix (BUILD/wine for the package).
# Under wine the installer runs as an administrator, so the shortcut is for all users.
#   wine_run PROGRAM [ARG...]      wine64 without .NET and HTML engines, debugger or desktop entries
#   wine_install INSTALLER         installs silently; returns when done
#   wine_uninstall                 uninstalls silently and waits (at most 60 s) until the files and the key are gone;
#                                  end the program first: as on Windows, a running scrolltest.exe stays
#   wine_remove_leftovers          removes what a failed test may have left installed, without its uninstaller
#   wine_shortcut                  prints the Start-menu shortcut's path, or fails; `wine_run start /unix PATH`
#                                  opens it as the Start menu would, under another process id
#   wine_install_dir, wine_uninstall_key

readonly wine_uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\scrolltest'

wine_run() {
    WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d' /usr/lib/wine/wine64 "$@"
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

# The uninstaller copies itself away and returns at once; what it removes goes a moment later.
wine_uninstall() {
    wine_run "$(wine_install_dir)/Uninstall.exe" /S || return
    local tries
    for ((tries = 0; tries < 120; ++tries)); do
        if [[ ! -e $(wine_install_dir) ]] && ! wine_shortcut >/dev/null &&
            ! wine_run reg query "$wine_uninstall_key" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.5
    done
    return 1
}

wine_remove_leftovers() {
    local shortcut
    if shortcut=$(wine_shortcut); then
        rm -rf "${shortcut%/*}"
    fi
    rm -rf "$(wine_install_dir)"
    wine_run reg delete "$wine_uninstall_key" /f >/dev/null 2>&1 || true
}
