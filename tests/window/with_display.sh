# with_display.sh WINEPREFIX PROGRAM [ARGUMENT...]: runs a Windows program under wine on a private Xvfb, for
# tests of windows: without a display, wine makes none. Under a window manager: without one, wine waits 2 s
# for an answer at every window that closes. Exits with the program's exit code.
set -euo pipefail
source "$(dirname "$0")/../../scripts/xvfb.sh"
source "$(dirname "$0")/../install/wine_package.sh"
export WINEPREFIX=$1
shift
trap xvfb_stop EXIT
xvfb_start
xvfb_start_openbox
wine_run "$@"
