#!/usr/bin/env bash
# Runs an end-to-end script as an ordinary user, whom the system refuses real-time priority for the timer
# threads: the current user, or under root the user nobody, on copies of the scripts and programs in a
# scratch folder that user can read but not change (a build under /root is out of its reach), with a home
# and a TMPDIR of its own inside. Leaves nothing behind.
# Usage: as_user.sh SCRIPT PROGRAM...
set -euo pipefail
# Refused even where the limits would grant an ordinary user real-time priority.
ulimit -r 0
export SCROLL_E2E_NO_REALTIME=1
if ((EUID != 0)); then exec bash "$@"; fi

here=$(dirname "$(realpath "$0")")
# In /tmp itself: root's TMPDIR may be a folder closed to others (pam_tmpdir's /tmp/user/0).
copy=$(mktemp -d -p /tmp scrolltest-as-user.XXXXXXXXXX)
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
# What fontconfig and the scripts keep per user, private to nobody as a login would make them.
install -d -m 700 -o nobody -g nogroup "$copy/home" "$copy/tmp"
cd "$copy"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env HOME="$copy/home" TMPDIR="$copy/tmp" \
    bash "$copy/tests/e2e/${1##*/}" "${programs[@]}"
