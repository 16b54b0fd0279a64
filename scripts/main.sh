#!/usr/bin/env bash
# The main job: build the installer and report what was built.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
for preset in win32 win64 host; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

for preset in win32 win64; do
  exe=build/$preset/setup.exe
  echo
  echo "== $exe ($(stat -c %s "$exe") bytes)"
  objdump_tool=$([[ $preset == win32 ]] && echo i686-w64-mingw32-objdump || echo x86_64-w64-mingw32-objdump)
  "$objdump_tool" -p "$exe" | awk '
    /file format/ { print "format:     " $NF }
    /^Magic/ { print "magic:      " $2 " " $3 }
    /^Subsystem/ { print "subsystem:  " $2 " " $3 " " $4 }
    /DLL Name:/ { print "imports:    " $3 }'
  echo "payload:"
  build/host/tools/lumepack list "$exe"
done
