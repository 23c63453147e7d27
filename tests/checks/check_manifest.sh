#!/usr/bin/env bash
# Checks the application manifest of a built Quillrun.exe with the mingw
# objdump:
#   1. the resource directory holds a resource of type RT_MANIFEST (24) with
#      id 1, the one the loader reads when the process starts;
#   2. its text asks for no elevation, names Windows 7, 8, 8.1 and 10/11 as
#      supported, declares per-monitor DPI awareness (v2, falling back to v1)
#      and depends on version 6 of the common controls.
# usage: check_manifest.sh OBJDUMP EXE
set -u
objdump=$1 exe=$2
fail=0

dump=$("$objdump" -p "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }

# objdump -p prints the resource tree indented by level: types after three
# spaces, names after five, languages after seven, and each leaf's RVA and
# size after eight.  An entry is "Entry: ID: 0x000018, Value: ..." or, when
# named, "Entry: name: [val: ... len 8]: FILEOPEN, Value: ...".  Every leaf
# is printed as "TYPE NAME RVA SIZE".
leaves=$(printf '%s\n' "$dump" | sed -n '/The .rsrc Resource Directory section/,/^$/p' | awk '
  function key(line) { sub(/.*Entry: (ID: |name: \[[^]]*\]: )/, "", line); sub(/, Value:.*/, "", line); return line }
  /^[0-9a-f]+   Entry: /   { type = key($0) }
  /^[0-9a-f]+     Entry: / { name = key($0) }
  /Leaf: Addr: /           { addr = $4; sub(/,$/, "", addr); size = $6; sub(/,$/, "", size)
                             print type, name, addr, size }')
leaf=$(printf '%s\n' "$leaves" | awk '$1 == "0x000018" && $2 == "0x000001" { print $3, $4 }')
if [ -z "$leaf" ]; then
  echo "FAIL: no RT_MANIFEST resource with id 1 in $exe"
  echo "  expected: type 0x000018, id 0x000001"
  echo "  actual (type id rva size):"
  printf '%s\n' "${leaves:-    no resources}" | sed 's/^/    /'
  exit 1
fi
read -r rva size <<<"$leaf"

# The leaf's RVA lies in .rsrc: its place in the file is the section's file
# offset plus its distance from the section's start.
base=$(printf '%s\n' "$dump" | awk '/^ImageBase/ { print $2 }')
read -r vma offset < <("$objdump" -h "$exe" | awk '$2 == ".rsrc" { print $4, $6 }')
start=$(( 0x$offset + $rva - (0x$vma - 0x$base) ))
text=$(tail -c +$(( start + 1 )) "$exe" | head -c $(( size )) | tr -d '\0')

# One element a line, with its attributes and the text that follows it.
elements=$(printf '%s' "$text" | tr '\r\n\t' '   ' | tr -s ' ' | sed 's/</\n</g')

# expect NAME FRAGMENT...: some <NAME> element holds every fragment.  GUIDs
# and the DPI values are read by the system without regard to case.
shopt -s nocasematch
expect() {
  local name=$1 record fragment found
  shift
  local records
  records=$(printf '%s\n' "$elements" | grep -E "^<$name[ >/]")
  while IFS= read -r record; do
    found=1
    for fragment in "$@"; do
      [[ $record == *"$fragment"* ]] || { found=0; break; }
    done
    [ $found -eq 1 ] && return 0
  done <<<"$records"
  echo "FAIL: the manifest has no <$name> element with all of: $*"
  printf '  expected: <%s' "$name"; printf ' %s' "$@"; echo ' ...>'
  if [ -n "$records" ]; then
    echo "  actual:"
    printf '%s\n' "$records" | sed 's/^/    /'
  else
    echo "  actual: no <$name> element"
  fi
  fail=1
}

expect trustInfo 'xmlns="urn:schemas-microsoft-com:asm.v3"'
expect requestedExecutionLevel 'level="asInvoker"' 'uiAccess="false"'
expect compatibility 'xmlns="urn:schemas-microsoft-com:compatibility.v1"'
expect supportedOS 'Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"'  # Windows 7
expect supportedOS 'Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"'  # Windows 8
expect supportedOS 'Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"'  # Windows 8.1
expect supportedOS 'Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"'  # Windows 10 and 11
expect dpiAware 'xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings"' '>true/pm'
expect dpiAwareness 'xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings"' \
  '>PerMonitorV2, PerMonitor'
expect assemblyIdentity 'name="Microsoft.Windows.Common-Controls"' 'version="6.0.0.0"' \
  'processorArchitecture="*"' 'publicKeyToken="6595b64144ccf1df"' 'language="*"'

if [ $fail -eq 0 ]; then
  echo "OK: RT_MANIFEST 1, $(( size )) bytes: asInvoker, Windows 7 to 11, PerMonitorV2, common controls 6"
fi
exit $fail
