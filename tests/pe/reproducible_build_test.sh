#!/usr/bin/env bash
# The same sources give the same bytes: a second win32 build in another
# folder must produce identical executables.
set -euo pipefail
source_dir=$1
first=$2
second=$(mktemp -d)
trap 'rm -rf "$second"' EXIT
cd "$source_dir"
cmake --preset win32 -B "$second" >/dev/null
cmake --build "$second" -j 2 >/dev/null
fail=0
for file in setup.exe setup-stub.exe setup-packed.exe sample/lume32.exe; do
  if [[ ! -f "$first/$file" ]]; then echo "missing $first/$file"; fail=1; continue; fi
  if cmp -s "$first/$file" "$second/$file"; then echo "identical: $file"; else echo "differs: $file"; fail=1; fi
done
exit $fail
