#!/usr/bin/env bash
# Runs an end-to-end script as an ordinary user, whom the system refuses real-time priority for the timer
# threads: the current user, or under root the user nobody, on copies of the scripts and programs in a
# scratch folder that user can read (a build under /root is out of its reach). Leaves nothing behind.
# Usage: as_user.sh SCRIPT PROGRAM...
set -euo pipefail
# Refused even where the limits would grant an ordinary user real-time priority.
ulimit -r 0
export SCROLL_E2E_NO_REALTIME=1
if ((EUID != 0)); then exec bash "$@"; fi

here=$(dirname "$(realpath "$0")")
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
mkdir -p "$copy/tests/e2e" "$copy/scripts"
cp "$here"/*.sh "$copy/tests/e2e/"
cp "$here/../../scripts/xvfb.sh" "$copy/scripts/"
programs=()
for program in "${@:2}"; do
    cp "$program" "$copy/"
    programs+=("$copy/${program##*/}")
done
# The sanitizer build's suppressions file lies in the checkout too.
if [[ ${LSAN_OPTIONS:-} =~ suppressions=([^:]+) ]]; then
    cp "${BASH_REMATCH[1]}" "$copy/lsan.supp"
    export LSAN_OPTIONS=${LSAN_OPTIONS/"${BASH_REMATCH[1]}"/$copy/lsan.supp}
fi
chmod -R a+rX "$copy"
# Made as root's X server makes it, or the first server to start, nobody's, would own it.
[[ -d /tmp/.X11-unix ]] || install -d -m 1777 /tmp/.X11-unix
# Its home and runtime folder, for what Qt and fontconfig keep per user.
install -d -m 700 -o nobody -g nogroup "$copy/home"
cd "$copy"
setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$copy/home" XDG_RUNTIME_DIR="$copy/home" \
    bash "$copy/tests/e2e/${1##*/}" "${programs[@]}"
