#!/usr/bin/env bash
# Every mutable global of the library lives in the shared block: no object
# file of it may carry writable data of its own (.data or .bss; read-only
# data after relocation, .data.rel.ro, is constant and allowed).
# usage: no_private_data.sh SIZE OBJECT_DIR
set -u
size=$1 dir=$2
fail=0 objects=0
while IFS= read -r -d '' o; do
  objects=$((objects + 1))
  while read -r section bytes; do
    echo "FAIL: $(basename "$o") has $bytes bytes of private writable data in $section"
    fail=1
  done < <("$size" -A "$o" | awk '$1 ~ /^\.(data|bss)($|\.)/ && $1 !~ /^\.data\.rel\.ro/ && $2 > 0 {print $1, $2}')
done < <(find "$dir" -name '*.o' -print0)
[ "$objects" -gt 0 ] || { echo "FAIL: no object files under $dir"; exit 1; }
[ $fail -eq 0 ] && echo "OK: $objects object files, all writable data in the shared block"
exit $fail
