#!/usr/bin/env bash
# Makes a build tree's Wine prefix once: wine-prefix.sh <build tree>. The
# crash dialog is turned off so that a crashing test fails at once instead of
# waiting on a window nobody sees.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh" "$1"
if [ ! -f "$WINEPREFIX/.hollowmere-ready" ]; then
    rm -rf "$WINEPREFIX"
    "$hm_wine" wineboot -i >/dev/null 2>&1
    "$hm_wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.hollowmere-ready"
fi
