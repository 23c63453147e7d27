#!/usr/bin/env bash
# Runs a Windows program under wine64 on a virtual X display of its own:
# picks a free display, starts Xvfb, makes a fresh WINEPREFIX in a temporary
# folder, runs the program with WINEDEBUG=-all and cleans everything up.
# Exits 77 (a skip for ctest) only when wine64 is not installed.
# usage: run_wine.sh PROGRAM.exe [ARGS...]
set -u
WINE64=${WINE64:-/usr/lib/wine/wine64}
if [ ! -x "$WINE64" ]; then
  WINE64=$(command -v wine64 || true)
fi
if [ -z "$WINE64" ] || [ ! -x "$WINE64" ]; then
  echo "SKIP: wine64 is not installed (scripts/install-deps installs it)"
  exit 77
fi
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is not installed"; exit 1; }

display=
for n in $(seq 90 190); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free X display"; exit 1; }

prefix=$(mktemp -d /tmp/qr-wine.XXXXXX)
xvfb_pid=
cleanup() {
  WINEPREFIX=$prefix "${WINESERVER:-$(dirname "$WINE64")/wineserver}" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "FAIL: Xvfb did not start"; exit 1; }
  sleep 0.1
done

export DISPLAY=":$display" WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installers while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml=d"
"$WINE64" wineboot -i >/dev/null 2>&1
"${WINESERVER:-$(dirname "$WINE64")/wineserver}" -w >/dev/null 2>&1
"$WINE64" "$@"
