#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix (inside build/), quietly.
# Used by ctest as the emulator of the Windows build, and by the scripts.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
fi
# Windows draw their own frames and captions: under a virtual display there is no window
# manager to draw them, and a captured dialog would show a black caption.
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
fi
# A program that needs the display (QUORVEL_WINE_OWN_SERVER set, under xvfb-run) gets a Wine
# server of its own: a server left running by an earlier program without a display keeps its
# desktop there, and no window could be shown. It is stopped again afterwards, so that later
# programs do not inherit a desktop on a display that has gone.
if [ -n "${QUORVEL_WINE_OWN_SERVER:-}" ]; then
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  status=0
  wine "$@" || status=$?
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  exit $status
fi
exec wine "$@"
