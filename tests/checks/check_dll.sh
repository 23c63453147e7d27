#!/usr/bin/env bash
# Checks a built QRHook.dll with the mingw objdump:
#   1. the export table holds exactly the expected functions and variables;
#   2. the ".shared" section is marked shared and holds every exported variable;
#   3. only system DLLs are imported (the library is mapped into every process
#      on the desktop, where a missing compiler runtime DLL would break it);
#   4. the file is at most MAX_BYTES long, the shared section stores no bytes
#      in it, and no object file needs the runtime's start-up code, which the
#      DLL leaves out (constructors, destructors, thread-local data).
# usage: check_dll.sh OBJDUMP DLL EXPECTED_FUNCTIONS EXPECTED_VARIABLES MAX_BYTES OBJECT_DIR
set -u
objdump=$1 dll=$2 functions=$3 variables=$4 max_bytes=$5 objects=$6
fail=0
report() { echo "FAIL: $*"; fail=1; }

dump=$("$objdump" -p "$dll") || { echo "FAIL: cannot read $dll"; exit 1; }
headers=$("$objdump" -h "$dll")

# Export table: "[ordinal] name" lines after the "[Ordinal/Name Pointer] Table".
actual=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
         sed -n 's/^\s*\[\s*[0-9]*\] \(.*\)$/\1/p' | sort)
expected=$(cat "$functions" "$variables" | sort)
if [ "$actual" != "$expected" ]; then
  report "export table differs (< expected, > actual):"
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | grep '^[<>]'
fi

# The shared section and its bounds.
line=$(printf '%s\n' "$headers" | grep -A1 ' \.shared ' | tr '\n' ' ')
[ -n "$line" ] || report "no .shared section"
printf '%s\n' "$line" | grep -q 'SHARED' || report ".shared is not marked SHARED: $line"
printf '%s\n' "$line" | grep -q 'CONTENTS' && report ".shared is stored in the file: $line"
size=$(printf '%s\n' "$line" | awk '{print $3}')
vma=$(printf '%s\n' "$line" | awk '{print $4}')
base=$(printf '%s\n' "$dump" | awk '/^ImageBase/ {print $2}')
start=$(( 0x$vma - 0x$base ))
end=$(( start + 0x$size ))

# Each exported variable's RVA must lie inside the shared section.  The
# Export Address Table lists RVAs by ordinal; the name table maps names to
# ordinals (both printed by objdump -p).
declare -A rva_of_ordinal
while read -r ord rva; do rva_of_ordinal[$ord]=$rva; done < <(
  printf '%s\n' "$dump" | sed -n '/Export Address Table/,/^$/p' |
  sed -n 's/^\s*\[\s*\([0-9]*\)\] +base\[\s*[0-9]*\]\s*\([0-9a-fA-F]*\) Export RVA.*/\1 \2/p')
while read -r ord name; do
  if grep -qx "$name" "$variables"; then
    rva=${rva_of_ordinal[$ord]:-}
    if [ -z "$rva" ]; then report "no RVA for $name"; continue; fi
    value=$(( 0x$rva ))
    if [ $value -lt $start ] || [ $value -ge $end ]; then
      report "$name at RVA 0x$rva lies outside .shared ($(printf '0x%x-0x%x' $start $end))"
    fi
  fi
done < <(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
         sed -n 's/^\s*\[\s*\([0-9]*\)\] \(.*\)$/\1 \2/p')

# Imports: system DLLs only.
allowed='^(KERNEL32|USER32|ADVAPI32|SHELL32|COMDLG32|msvcrt)\.dll$'
while read -r name; do
  printf '%s\n' "$name" | grep -qiE "$allowed" || report "imports $name"
done < <(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p')

# Size, and nothing that only the left-out start-up code would run.
bytes=$(stat -c %s "$dll")
[ "$bytes" -le "$max_bytes" ] || report "$(basename "$dll") is $bytes bytes, above the limit of $max_bytes"
while IFS= read -r -d '' o; do
  "$objdump" -h "$o" | awk '{print $2}' | grep -E '^\.(ctors|dtors|init_array|fini_array|tls|CRT)' |
    while read -r section; do echo "FAIL: $(basename "$o") needs start-up code ($section)"; done
done < <(find "$objects" -name '*.obj' -print0) | grep . && fail=1

if [ $fail -eq 0 ]; then
  echo "OK: $(printf '%s\n' "$expected" | wc -l) exports, shared section, system imports only, $bytes bytes"
fi
exit $fail
