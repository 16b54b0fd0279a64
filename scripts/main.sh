#!/usr/bin/env bash
# The main job: build everything, report what was built, then install setup.exe silently under
# Wine in a throwaway prefix and report what landed: the real i686 setup.exe under wine32 where
# the kernel runs 32-bit code (scripts/runs-32bit.sh), the win64 twin under wine64 elsewhere.
# Exits non-zero when a build fails or the installation did not land completely.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh wine64 xvfb imagemagick python3

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

# One line says which setup.exe installs: the i686 one, or the twin and why (same sources, same payload).
echo
cd tests/e2e
PYTHONDONTWRITEBYTECODE=1 python3 show_install.py --build-dir ../../build/win64 --build-dir32 ../../build/win32
