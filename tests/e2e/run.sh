#!/usr/bin/env bash
# The Wine end-to-end tests of setup.exe: every scenario against the product (the win32 build, under
# wine32) as NAME/i686 and against its win64 twin (under wine64) as NAME/x64, on Xvfb, with the dialog driver.
# Usage: tests/e2e/run.sh [--list] [--workers N] [--screenshots DIR] [--keep-all] [scenario or pattern...]
# A pattern names both builds' runs (silent-defaults) or one (silent-defaults/i686, '*/x64').
# E2E_BUILD_DIR names another win64 build folder (made with the win64 preset; default build/win64),
# E2E_BUILD_DIR32 another win32 one (win32 preset; default build/win32). E2E_NO_BUILD=1 uses them as they are.
# Where this kernel runs no 32-bit code (scripts/runs-32bit.sh), only the NAME/x64 runs run and one line says why.
# Ends with the line "N passed, M failed"; the folders of failing runs stay in tests/e2e/runs/.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash scripts/install-deps.sh wine64 xvfb imagemagick python3 openssl osslsigncode

build_dir=$(realpath -m "${E2E_BUILD_DIR:-build/win64}")
build_dir32=$(realpath -m "${E2E_BUILD_DIR32:-build/win32}")
if [[ ${E2E_NO_BUILD:-0} != 1 ]]; then
  for preset in win64 win32; do
    folder=$([[ $preset == win64 ]] && echo "$build_dir" || echo "$build_dir32")
    if [[ $folder == "$PWD/build/$preset" ]]; then
      cmake --preset "$preset" >/dev/null
      cmake --build --preset "$preset"
    else
      cmake --preset "$preset" -B "$folder" >/dev/null
      cmake --build "$folder" -j2
    fi
  done
fi

cd tests/e2e
export PYTHONDONTWRITEBYTECODE=1
exec python3 -m harness --build-dir "$build_dir" --build-dir32 "$build_dir32" "$@"
