#!/usr/bin/env bash
# Every mutable global of the library lives in the shared block: no object
# file of it may carry writable data of its own (.data or .bss; read-only
# data after relocation, .data.rel.ro, is constant and allowed), with one
# exception, listed here by name: each process's own answer to whether it may
# use the block (core/process_trust.cpp), which no other process may set.
# usage: no_private_data.sh SIZE OBJECT_DIR   (nm beside size)
set -u
size=$1 dir=$2
nm=$(dirname "$size")/nm; [ -x "$nm" ] || nm=nm
allowed='process_trust.cpp.o:processTrust'
fail=0 objects=0
while IFS= read -r -d '' o; do
  objects=$((objects + 1))
  while read -r section bytes; do
    # The object's writable symbols, each as object:name.
    symbols=$("$nm" -C "$o" | awk -v o="$(basename "$o")" '$2 ~ /^[bBdD]$/ {print o ":" $3}' | sort | tr '\n' ' ')
    [ "$symbols" = "$allowed " ] && continue
    echo "FAIL: $(basename "$o") has $bytes bytes of private writable data in $section: $symbols"
    fail=1
  done < <("$size" -A "$o" | awk '$1 ~ /^\.(data|bss)($|\.)/ && $1 !~ /^\.data\.rel\.ro/ && $2 > 0 {print $1, $2}')
done < <(find "$dir" -name '*.o' -print0)
[ "$objects" -gt 0 ] || { echo "FAIL: no object files under $dir"; exit 1; }
[ $fail -eq 0 ] && echo "OK: $objects object files, all writable data in the shared block but $allowed"
exit $fail
