#!/usr/bin/env bash
# Runs a Windows program under wine64 on a virtual X display of its own
# (with QR_WINE_I686=1 also 32-bit programs, see wine_i686_loader.sh):
# picks a free display, starts Xvfb, makes a fresh WINEPREFIX in a temporary
# folder, runs the program with WINEDEBUG=-all and cleans everything up.
# Exits 77 (a skip for ctest) only when wine64 is not installed.
# usage: run_wine.sh PROGRAM.exe [ARGS...]
set -u
. "$(dirname "$0")/wine_env.sh"
if ! wine_find; then
  echo "SKIP: wine64 is not installed (scripts/install-deps installs it)"
  exit 77
fi
# QR_WINE_I686=1: 32-bit programs run too, in a WoW64 Wine folder.
if [ "${QR_WINE_I686:-0}" = 1 ] && ! wine_use_i686; then
  echo "FAIL: no 32-bit loader folder at $(wine_i686_dir) (scripts/install-deps makes it)"
  exit 1
fi
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is not installed"; exit 1; }
trap wine_cleanup EXIT
trap 'exit 130' INT TERM
wine_virtual_display || exit 1
wine_temp_prefix || exit 1
wine_prepare
"$WINE64" "$@"
