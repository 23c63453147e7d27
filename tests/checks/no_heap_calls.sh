#!/usr/bin/env bash
# The library runs inside every program on the desktop and must not allocate
# in its hook paths: no object file of it may call an allocation function.
# The one exception is the input-method request block (GlobalAlloc and
# GlobalFree in the edit-field recognition).
# usage: no_heap_calls.sh NM OBJECT_DIR
set -u
nm=$1 dir=$2
heap='^(malloc|calloc|realloc|free|strdup|_strdup|_Zn[wa].*|_Zd[la].*|HeapAlloc|HeapReAlloc|LocalAlloc|GlobalAlloc|GlobalReAlloc|GlobalFree)$'
fail=0 objects=0
while IFS= read -r -d '' o; do
  objects=$((objects + 1))
  name=$(basename "$o")
  while read -r sym; do
    if [ "$name" = recognition.cpp.o ] && [[ "$sym" =~ ^(GlobalAlloc|GlobalFree)$ ]]; then
      continue
    fi
    echo "FAIL: $name calls $sym"
    fail=1
  done < <("$nm" -u "$o" | awk '{print $NF}' | grep -E "$heap")
done < <(find "$dir" -name '*.o' -print0)
[ "$objects" -gt 0 ] || { echo "FAIL: no object files under $dir"; exit 1; }
[ $fail -eq 0 ] && echo "OK: $objects object files, no allocation outside the input-method request block"
exit $fail
