#!/bin/sh
# Runs a Windows program under Wine in a given prefix, quietly:
#   wine-run.sh <wineprefix> <program.exe> [arguments...]
# Wine creates the prefix on first use when it is missing (tools/dev.sh
# prepares it once beforehand, with fonts). The exit status is the program's.
prefix=$1
shift
WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} exec /usr/lib/wine/wine64 "$@"
