# with_display.sh WINEPREFIX [--dpi DPI] PROGRAM [ARGUMENT...]: runs a Windows program under wine on a private
# Xvfb, for tests of windows: without a display, wine makes none. Under a window manager: without one, wine
# waits 2 s for an answer at every window that closes. With --dpi, in a copy of the prefix whose system density
# is DPI (wine reads it as a program starts). Exits with the program's exit code.
set -euo pipefail
source "$(dirname "$0")/../../scripts/xvfb.sh"
source "$(dirname "$0")/../install/wine_package.sh"
export WINEPREFIX=$1
shift
copy=
cleanup() {
    if [[ -n $copy ]]; then
        /usr/lib/wine/wineserver -k 2>/dev/null || true
        rm -rf "$copy"
    fi
    xvfb_stop
}
trap cleanup EXIT
xvfb_start
xvfb_start_openbox
if [[ $1 == --dpi ]]; then
    # Beside the test's other files, on the build's file system, as the copy's files are hard links.
    copy=$PWD/dpi-$2.wine
    wine_copy_prefix "$WINEPREFIX" "$copy"
    wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null
    shift 2
fi
wine_run "$@"
