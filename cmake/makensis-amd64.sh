#!/bin/sh
# makensis building a 64-bit installer (Debian's wine64 runs only 64-bit programs; CPack's NSIS installers
# are 32-bit unless the script says otherwise). CPack names this as its makensis: its own variable for
# makensis's arguments would split "Target amd64-unicode" in two.
exec makensis "-XTarget amd64-unicode" "$@"
