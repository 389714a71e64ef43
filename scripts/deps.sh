#!/usr/bin/env bash
# Installs what building, testing and running need on Debian 12, as root. Does nothing, quickly, when all
# of it is there already.
set -euo pipefail

packages=(
    # building: the compiler, CMake, Qt 6 and its tools, GoogleTest, Xlib for the test helper xclose
    build-essential cmake
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libgtest-dev googletest
    libx11-dev
    # end-to-end tests: a private X server, the tools that drive and read it, the fonts the window shows
    xvfb xauth xdotool imagemagick x11-utils fonts-dejavu-core fonts-liberation2
    # real desktops: a window manager, a Wayland compositor and Qt's Wayland platform; packaging
    openbox weston qt6-wayland desktop-file-utils dpkg-dev
    # a screen reader's view (AT-SPI); what distributions and software centres check of the package
    at-spi2-core python3-pyatspi dbus-x11 lintian appstream
    # sanitizer builds and fuzzing
    clang libclang-rt-14-dev
    # CPack's DEB generator tells programs from other files with it (a minimal system lacks it)
    file
    # the Windows program and its tests run under wine; its installer, and the icon tools its test reads it with
    g++-mingw-w64-x86-64-posix wine64 nsis icoutils
    # the benchmark under wine adds its figures to results.json
    jq
)

# One query for them all, "NAME STATUS" a line: it runs before every stage.
installed=$'\n'$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)$'\n'
missing=()
for package in "${packages[@]}"; do
    [[ $installed == *$'\n'"$package install ok installed"$'\n'* ]] || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

if ((EUID != 0)); then
    echo "deps: these packages are missing, and installing them needs root: ${missing[*]}" >&2
    exit 1
fi
echo "deps: installing ${missing[*]}"
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
