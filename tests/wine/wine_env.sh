# Shell functions for running Windows programs under wine64 on a virtual X
# display; sourced by run_wine.sh and scripts/run.
#   wine_find           sets WINE64 and WINESERVER; fails when wine64 is missing
#   wine_virtual_display  starts Xvfb on a free display, exports DISPLAY
#   wine_temp_prefix    exports WINEPREFIX as a fresh temporary folder
#   wine_prepare        makes the prefix (no Mono/Gecko installers)
#   wine_cleanup        ends the wine server and Xvfb, removes a temp prefix
#   wine_i686_dir       prints the private loader folder for 32-bit programs
#   wine_use_i686       sets WINE64 to that folder's wine64: 32-bit Windows
#                       programs then run too (under qemu-i386); fails when
#                       the folder is missing (wine_i686_loader.sh makes it)

wine_find() {
  WINE64=${WINE64:-/usr/lib/wine/wine64}
  [ -x "$WINE64" ] || WINE64=$(command -v wine64 || true)
  [ -n "$WINE64" ] && [ -x "$WINE64" ] || return 1
  WINESERVER=${WINESERVER:-$(dirname "$WINE64")/wineserver}
  [ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installers when a prefix is made.
  export WINEDLLOVERRIDES="mscoree,mshtml=d"
  return 0
}

wine_i686_dir() {
  echo "${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/quillrun/wine-i686"
}

wine_use_i686() {
  local dir
  dir=$(wine_i686_dir)
  [ -x "$dir/lib/wine/wine64" ] && [ -x "$dir/lib/wine/wine" ] || return 1
  WINE64=$dir/lib/wine/wine64
  WINESERVER=$dir/lib/wine/wineserver
}

wine_virtual_display() {
  local n
  QR_XVFB_PID=
  for n in $(seq 90 190); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      QR_XVFB_PID=$!
      local i
      for i in $(seq 100); do
        # Ours only when the lock names our Xvfb: another run that started
        # at the same moment may have won this display.
        if [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' ' < "/tmp/.X$n-lock" 2>/dev/null)" = "$QR_XVFB_PID" ]; then
          export DISPLAY=":$n"; return 0
        fi
        kill -0 "$QR_XVFB_PID" 2>/dev/null || break
        sleep 0.1
      done
      # Lost a race for this display to another run: try the next one.
      kill "$QR_XVFB_PID" 2>/dev/null
      QR_XVFB_PID=
    fi
  done
  echo "no free X display for Xvfb" >&2
  return 1
}

wine_temp_prefix() {
  QR_TEMP_PREFIX=$(mktemp -d /tmp/qr-wine.XXXXXX) || return 1
  export WINEPREFIX=$QR_TEMP_PREFIX WINEARCH=win64
}

wine_prepare() {
  "$WINE64" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w >/dev/null 2>&1
}

wine_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && [ -n "${WINESERVER:-}" ] && "$WINESERVER" -k >/dev/null 2>&1
  if [ -n "${QR_XVFB_PID:-}" ]; then
    kill "$QR_XVFB_PID" 2>/dev/null
    wait "$QR_XVFB_PID" 2>/dev/null
    QR_XVFB_PID=
  fi
  if [ -n "${QR_TEMP_PREFIX:-}" ]; then
    # A test that made a file or folder immutable (chattr +i) and did not
    # live to undo it would leave a folder even root cannot remove.
    chattr -R -i "$QR_TEMP_PREFIX/drive_c" 2>/dev/null
    rm -rf "$QR_TEMP_PREFIX"
    QR_TEMP_PREFIX=
  fi
  return 0
}
