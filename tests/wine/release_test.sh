#!/usr/bin/env bash
# The release as a Windows user gets it (scripts/release), tried under Wine:
#   1. scripts/release builds it in fresh build folders: the zip, the
#      installer and the checksum file; no PE file carries a time stamp and
#      the zip's entries come sorted with one date.
#   2. The zip, unpacked into a folder whose name holds a blank and a
#      non-ASCII letter, runs the scripted tour (tour.cpp); the version
#      resources of both widths read the CMake version.  While its host
#      runs, with its own Run value, the installer goes into a folder of
#      other programs (/D=C:\Tools with their README.txt and LICENSE.txt),
#      once more over that installation, and the uninstaller runs: the
#      other programs' files and the folder stay as they were, and the
#      zip's host keeps running with its Run value.
#   3. In a fresh Wine folder, a silent install (/AUTOSTART /RUN) puts the
#      zip's files, a Start-menu entry, the Run value and the Add/Remove
#      entry in place and starts the host from the installed folder, where
#      the tour passes.  The silent uninstall (the entry's
#      QuietUninstallString), run while the host runs, ends the host and
#      leaves none of them, only the settings file with the history.
#      An installation into a folder outside the code page (/D=) starts its
#      host, which serves (the tour) and saves on its exit.
#   4. An older build (this tree with a lower version number) is installed
#      and started.  The new installer, one of whose files cannot be
#      written, fails: the older files are back, whole, and the older host
#      runs again.  Then the tour gives its host a history line and a tuned value
#      (Ctrl+Shift+B) that only the host's exit saves.  The new installer,
#      run over it, ends it cleanly (the value is in the settings file) and
#      starts the new host, which holds the history and the value.
# The tour is the 32-bit one, in a 32-bit notepad: the 64-bit host starts
# its 32-bit companion from x86\, and under Wine 8 only the hooks of the
# width installed last are called (README, "Both widths at once"), so Wine shows
# the pair serving 32-bit programs.  It is built in the release's i686 tree.
# Everything is kept in WORK_DIR for a look afterwards (release.log, the
# builds, dist/).  Exits 77 (a skip for ctest) only when wine64 is missing.
# usage: release_test.sh WORK_DIR release_probe.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$1 probe=$2
. "$here/wine_env.sh"
if ! wine_find; then
  echo "SKIP: wine64 is not installed (scripts/install-deps installs it)"
  exit 77
fi
for tool in makensis zip unzip Xvfb x86_64-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps installs it)"; exit 1; }
done
# The installer and its uninstaller are 32-bit programs.
if ! declare -F wine_use_i686 >/dev/null || ! wine_use_i686; then
  echo "FAIL: Wine cannot run 32-bit programs here (scripts/install-deps sets that up)"
  exit 1
fi
# What the installer puts in the Start menu makes no entry on the Linux side.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

passed=0 failed=0
# check WHAT COMMAND...: the command's success is the check's.
check() {
  local what=$1; shift
  if "$@"; then echo "  ok    $what"; passed=$((passed + 1))
  else echo "  FAIL  $what"; failed=$((failed + 1)); fi
}
same() { [ "$1" = "$2" ] || { echo "        is \"$1\", not \"$2\""; return 1; }; }
finish() {
  echo
  echo "release: $passed passed, $failed failed ($SECONDS s)"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
  exit
}
# Time fields of a PE file that are not 0: the file header's, the export
# and resource directories'.
pe_times() {
  x86_64-w64-mingw32-objdump -p "$1" |
    grep -E '^Time/Date|Time: [0-9a-f]+' | grep -oE 'Time/Date.*|Time: [0-9a-f]+' |
    grep -vE 'Thu Jan  1 00:00:00 1970$|[[:space:]]0$|Time: 0+$'
}
no_pe_times() { local t; t=$(pe_times "$1"); [ -z "$t" ] || { echo "        $t"; return 1; }; }
one_date_sorted() {
  local names dates
  names=$(zipinfo -1 "$1")
  dates=$(zipinfo -T "$1" | awk '$7 ~ /^[0-9]+\.[0-9]+$/ {print $7}' | sort -u)
  [ "$names" = "$(printf '%s\n' "$names" | LC_ALL=C sort)" ] && [ "$(printf '%s\n' "$dates" | wc -l)" -eq 1 ] ||
    { echo "        dates: $(echo $dates)"; return 1; }
}

echo "=== 1. scripts/release (log: $work/release.log)"
rm -rf "$work"
mkdir -p "$work"
if ! "$root/scripts/release" --out "$work/dist" --build "$work/new" >"$work/release.log" 2>&1; then
  tail -30 "$work/release.log"
  echo "FAIL: scripts/release"
  finish
fi
version=$(cat "$work/new/win64/gen/version.txt")
if ! cmake --build "$work/new/win32" -j "$(nproc)" --target qr_tour >>"$work/release.log" 2>&1; then
  tail -30 "$work/release.log"
  echo "FAIL: the 32-bit tour does not build"
  finish
fi
tour=$work/new/win32/tests/wine/qr_tour.exe
name=Quillrun-$version
dist=$work/dist
stage=$work/new/stage/$name
echo "version $version ($SECONDS s)"
check "$name.zip, $name-setup.exe and $name.sha256 written" \
  test -f "$dist/$name.zip" -a -f "$dist/$name-setup.exe" -a -f "$dist/$name.sha256"
check "the checksum file holds both" \
  bash -c 'cd "$1" && sha256sum --quiet -c "$2.sha256" && [ "$(wc -l <"$2.sha256")" -eq 2 ]' - "$dist" "$name"
for f in Quillrun.exe QRHook.dll x86/Quillrun.exe x86/QRHook.dll; do
  check "no time stamp in $f" no_pe_times "$stage/$f"
done
check "the zip's entries sorted, with one date" one_date_sorted "$dist/$name.zip"

# The older build: this tree with the version lowered, released the same way.
IFS=. read -r major minor patch <<<"$version"
if [ "$patch" -gt 0 ]; then old=$major.$minor.$((patch - 1))
elif [ "$minor" -gt 0 ]; then old=$major.$((minor - 1)).0
else old=$((major - 1)).0.0; fi
echo "=== an older build, $old (log: $work/release-old.log)"
mkdir -p "$work/old-src"
tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git --exclude="./${work#"$root"/}" -cf - . |
  tar -C "$work/old-src" -xf -
sed -i "s/^project(QRHook VERSION $version /project(QRHook VERSION $old /" "$work/old-src/CMakeLists.txt"
grep -q "^project(QRHook VERSION $old " "$work/old-src/CMakeLists.txt" || { echo "FAIL: version $version not found in CMakeLists.txt"; finish; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}
if ! SOURCE_DATE_EPOCH=$epoch "$work/old-src/scripts/release" --out "$work/old-dist" --build "$work/old" \
     >"$work/release-old.log" 2>&1; then
  tail -30 "$work/release-old.log"
  echo "FAIL: scripts/release of the older build"
  finish
fi
old_setup=$work/old-dist/Quillrun-$old-setup.exe
echo "built ($SECONDS s)"

# A file made immutable (part 4) is made writable again, however the test ends.
locked=
unlock() { [ -z "$locked" ] || chattr -i "$locked"; locked=; }
trap 'unlock; wine_cleanup' EXIT
trap 'exit 130' INT TERM
wine_virtual_display || exit 1
# A Wine folder of its own for each part (the last one's is removed).
fresh_prefix() {
  if [ -n "${QR_TEMP_PREFIX:-}" ]; then
    "$WINESERVER" -k >/dev/null 2>&1
    rm -rf "$QR_TEMP_PREFIX"
  fi
  wine_temp_prefix && wine_prepare
}
# Hosts started here run in the background (start_host); end_hosts waits
# for them to end, 30 s at most.
hosts=()
start_host() { "$WINE64" "$1" & hosts+=($!); }
end_hosts() {
  local pid
  for pid in "${hosts[@]}"; do
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 1; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  hosts=()
}
winpath() { "$WINE64" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# Seen once in a fresh Wine folder on a loaded machine: winepath itself
# could not be started ("Application could not be started", printed where
# the path should be).  Only a path is taken; the start is tried again.
unixpath() {
  local path try
  for try in 1 2 3; do
    path=$("$WINE64" winepath -u "$1" 2>/dev/null | tr -d '\r' | grep '^/' | tail -1)
    [ -n "$path" ] && break
    sleep 1
  done
  printf '%s\n' "$path"
}
winenv() { "$WINE64" cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
# A registry key's values as "name<TAB>value" lines; one value of them
# (bytes as reg prints them, in the desktop's OEM code page).
regkey() {
  "$WINE64" reg query "$1" 2>/dev/null | tr -d '\r' |
    LC_ALL=C sed -n 's/^    \([^ ].*[^ ]\)    REG_[A-Z_]*    \(.*\)$/\1\t\2/p; s/^    \([^ ].*[^ ]\)    REG_[A-Z_]*$/\1\t/p'
}
value() { printf '%s\n' "$1" | LC_ALL=C awk -F'\t' -v n="$2" '$1 == n {print $2}'; }
setting() { [ -f "$1" ] && tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -1; }
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillrun'
line="hello from quillrun"  # the line the tour stores

echo "=== 2. the zip, unpacked into a folder with a blank and a non-ASCII letter"
fresh_prefix
portable="$work/Portable Café"
mkdir -p "$portable"
unzip -q "$dist/$name.zip" -d "$portable"
dir=$portable/$name
dir_win=$(winpath "$dir")
start_host "$dir/Quillrun.exe"
check "the host serves 32-bit programs through x86\\Quillrun.exe" "$WINE64" "$probe" wait-companion 60
check "the tour passes with the host and libraries in $dir_win" env QR_BIN="$dir_win\\x86" "$WINE64" "$tour"

echo "--- the installer and the uninstaller in a folder of other programs, the zip's host running"
"$WINE64" "$probe" start-with-windows
zip_run=$(value "$(regkey "$run_key")" Quillrun)
# reg prints it in the desktop's OEM code page, so only its ASCII ends are
# compared; the later checks compare it byte for byte with this one.
check "the zip's host wrote its Run value" \
  bash -c '[[ $1 == "\"Z:\\"*"\\$2\\Quillrun.exe\"" ]] || { echo "        is $1"; false; }' - "$zip_run" "$name"
tools_win='C:\Tools'
tools=$(unixpath "$tools_win")
mkdir -p "$tools" "$work/tools"
printf 'Another program: its read-me.\r\n' >"$work/tools/README.txt"
printf 'Another program: its licence.\r\n' >"$work/tools/LICENSE.txt"
cp "$work/tools/"* "$tools/"
for step in "/D=$tools_win" "over it" uninstall; do
  case $step in
    /D=*) "$WINE64" "$dist/$name-setup.exe" /S "$step" ;;
    over*) "$WINE64" "$dist/$name-setup.exe" /S ;;
    *) "$WINE64" "$probe" run "\"$tools_win\\Quillrun-Uninstall.exe\" /S" &&
       for _ in $(seq 60); do [ -z "$(regkey "$uninst_key")" ] && break; sleep 1; done ;;
  esac
  check "$step: ends with 0" same "$?" 0
  if [ "$step" != uninstall ]; then
    check "$step: the installation is in $tools_win" cmp -s "$tools/Quillrun-README.txt" "$dir/Quillrun-README.txt"
  fi
  for f in README.txt LICENSE.txt; do
    check "$step: the other program's $f unchanged" cmp -s "$tools/$f" "$work/tools/$f"
  done
  check "$step: the zip's host still runs" "$WINE64" "$probe" host-in "$dir_win"
  check "$step: its Run value unchanged" same "$(value "$(regkey "$run_key")" Quillrun)" "$zip_run"
done
check "$tools_win holds what it held, no more" same "$(cd "$tools" && echo *)" "LICENSE.txt README.txt"
"$WINE64" "$tour" --close
end_hosts
check "the version resources of both widths read $version" "$WINE64" "$probe" version "$version" \
  "$dir_win\\Quillrun.exe" "$dir_win\\QRHook.dll" "$dir_win\\x86\\Quillrun.exe" "$dir_win\\x86\\QRHook.dll"
echo "($SECONDS s)"

echo "=== 3. a silent install (/S /AUTOSTART /RUN) into a fresh Wine folder"
fresh_prefix
appdata=$(winenv APPDATA)
inst_win="$(winenv LOCALAPPDATA)\\Programs\\Quillrun"
inst=$(unixpath "$inst_win")
settings=$(unixpath "$appdata\\Quillrun\\Quillrun.Ini")
startmenu=$(unixpath "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Quillrun.lnk")
check "a 32-bit program (the installer) can start a 64-bit one (the host) under this Wine" \
  same "$("$WINE64" 'C:\windows\syswow64\cmd.exe' /c "$(winpath "$probe")" >/dev/null 2>&1; echo $?)" 2
"$WINE64" "$dist/$name-setup.exe" /S /AUTOSTART /RUN
check "the installer ends with 0" same "$?" 0
for f in Quillrun.exe QRHook.dll x86/Quillrun.exe x86/QRHook.dll Quillrun-README.txt Quillrun-README-ja.txt \
         Quillrun-LICENSE.txt; do
  check "$inst_win: $f as in the zip" cmp -s "$inst/$f" "$dir/$f"
done
check "$inst_win: Quillrun-Uninstall.exe" test -f "$inst/Quillrun-Uninstall.exe"
check "a Start-menu entry" test -f "$startmenu"
check "the Run value, as the host writes it" same "$(value "$(regkey "$run_key")" Quillrun)" "\"$inst_win\\Quillrun.exe\""
entry=$(regkey "$uninst_key")
for row in "DisplayName=Quillrun" "DisplayVersion=$version" "InstallLocation=$inst_win" \
           "UninstallString=\"$inst_win\\Quillrun-Uninstall.exe\"" \
           "QuietUninstallString=\"$inst_win\\Quillrun-Uninstall.exe\" /S" \
           "NoModify=0x1" "NoRepair=0x1"; do
  check "Add/Remove Programs: $row" same "$(value "$entry" "${row%%=*}")" "${row#*=}"
done
check "the installer started the host, which serves 32-bit programs" "$WINE64" "$probe" wait-companion 60
check "the tour passes with the installed host" env QR_BIN="$inst_win\\x86" "$WINE64" "$tour"
"$WINE64" "$tour" --close

echo "--- the silent uninstall, with the host running"
start_host "$inst/Quillrun.exe"
check "the host runs, with its companion" "$WINE64" "$probe" wait-companion 60
quiet=$(value "$entry" QuietUninstallString)
check "the uninstaller ends with 0" "$WINE64" "$probe" run "$quiet"
# The uninstaller works from a copy of itself, which it starts and leaves:
# its last step removes the Add/Remove entry.
for _ in $(seq 60); do
  [ -z "$(regkey "$uninst_key")" ] && [ ! -e "$inst" ] && break
  sleep 1
done
check "no program file left (no $inst_win)" test ! -e "$inst"
check "no Start-menu entry" test ! -e "$startmenu"
check "no Run value" same "$(value "$(regkey "$run_key")" Quillrun)" ""
check "no Add/Remove entry" same "$(regkey "$uninst_key")" ""
check "the host has ended" test "$("$WINE64" "$probe" wait-host 0; echo $?)" != 0
check "the settings file is kept, with the history" grep -q "$line" "$settings"
end_hosts
echo "($SECONDS s)"

echo "--- an installation folder outside the code page (/D=), the host started by the installer"
# C.UTF-8: Wine keeps the letters of paths on the command line and in the
# environment.
far_win='C:\ツール\Quillrun'
rm -f "$settings"
LC_ALL=C.UTF-8 "$WINE64" "$dist/$name-setup.exe" /S /RUN "/D=$far_win"
check "/D=$far_win: ends with 0" same "$?" 0
far=$(LC_ALL=C.UTF-8 unixpath "$far_win")
check "$far_win: the programs are there" cmp -s "$far/x86/QRHook.dll" "$dir/x86/QRHook.dll"
check "the host from $far_win serves 32-bit programs" "$WINE64" "$probe" wait-companion 60
check "the tour passes with it" env LC_ALL=C.UTF-8 QR_BIN="$far_win\\x86" "$WINE64" "$tour"
"$WINE64" "$tour" --close
check "its exit saved the tour's line" grep -q "$line" "$settings"
LC_ALL=C.UTF-8 "$WINE64" "$far/Quillrun-Uninstall.exe" /S
for _ in $(seq 60); do [ -z "$(regkey "$uninst_key")" ] && [ ! -e "$far/x86" ] && break; sleep 1; done
check "$far_win: uninstalled" test ! -e "$far/x86"
echo "($SECONDS s)"

echo "=== 4. the new installer over a running older build ($old)"
rm -f "$settings"  # the history below comes from the older host alone
"$WINE64" "$old_setup" /S /RUN
check "the older build installed" same "$(value "$(regkey "$uninst_key")" DisplayVersion)" "$old"
check "no Run value without /AUTOSTART" same "$(value "$(regkey "$run_key")" Quillrun)" ""
check "the older host runs" "$WINE64" "$probe" wait-companion 60
# The files of an installation made before they had the product's name.
old_names="README.txt README-ja.txt LICENSE.txt Uninstall.exe"
for f in $old_names; do mv "$inst/Quillrun-$f" "$inst/$f"; done
"$WINE64" reg add "$uninst_key" /v UninstallString /d "\"$inst_win\\Uninstall.exe\"" /f >/dev/null 2>&1
echo "--- the new installer, with a file it cannot write"
locked=$inst/x86/QRHook.dll  # the last program file it writes
chattr +i "$locked"
"$WINE64" "$dist/$name-setup.exe" /S
rc=$?
unlock
check "the installer fails (exit code $rc)" test "$rc" -ne 0
old_stage=$work/old/stage/Quillrun-$old
for f in Quillrun.exe QRHook.dll x86/Quillrun.exe x86/QRHook.dll; do
  check "$f: the older build's again" cmp -s "$inst/$f" "$old_stage/$f"
done
check "the older host runs again, with its companion" "$WINE64" "$probe" wait-companion 60
check "... from $inst_win" "$WINE64" "$probe" host-in "$inst_win"
echo "--- the older host at work, and the new installer over it"
check "the tour gives it a history line and Ctrl+Shift+B" env QR_BIN="$inst_win\\x86" "$WINE64" "$tour"
zure=$(env QR_BIN="$inst_win" "$WINE64" "$probe" shared | tr -d '\r' | sed -n 's/^iZure //p')
check "the tuned value ($zure) is not in the settings file yet (only an exit saves it)" \
  test -n "$zure" -a "$(setting "$settings" Zure)" != "$zure"
"$WINE64" "$dist/$name-setup.exe" /S
check "the new installer ends with 0" same "$?" 0
check "the older host saved as it ended: Zure=$zure" same "$(setting "$settings" Zure)" "$zure"
check "... and the history" grep -q "$line" "$settings"
check "Add/Remove Programs: DisplayVersion=$version" same "$(value "$(regkey "$uninst_key")" DisplayVersion)" "$version"
check "the new host files" cmp -s "$inst/Quillrun.exe" "$dir/Quillrun.exe"
check "the files' earlier names are gone" same "$(cd "$inst" && ls $old_names 2>/dev/null)" ""
check "the installer started the new host again" "$WINE64" "$probe" wait-companion 60
shared=$(env QR_BIN="$inst_win" "$WINE64" "$probe" shared | tr -d '\r')
check "the new host holds the history" grep -qx "history: $line" <<<"$shared"
check "the new host holds the tuned value" same "$(sed -n 's/^iZure //p' <<<"$shared")" "$zure"
left=$(cd "$inst" && ls -- *.old x86/*.old 2>/dev/null)
[ -z "$left" ] || echo "  (still in use when replaced, renamed aside: $(echo $left))"
"$WINE64" "$tour" --close
end_hosts
finish
