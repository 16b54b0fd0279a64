#!/usr/bin/env bash
# The Wine end-to-end tests of setup.exe (the win64 twin under wine64, Xvfb, the dialog driver).
# Usage: tests/e2e/run.sh [--list] [--workers N] [--screenshots DIR] [--keep-all] [scenario or pattern...]
# E2E_BUILD_DIR names another win64 build folder (made with the win64 preset); default build/win64.
# E2E_NO_BUILD=1 uses that folder as it is.
# Ends with the line "N passed, M failed"; the folders of failing runs stay in tests/e2e/runs/.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash scripts/install-deps.sh wine64 xvfb imagemagick python3

build_dir=$(realpath -m "${E2E_BUILD_DIR:-build/win64}")
if [[ ${E2E_NO_BUILD:-0} == 1 ]]; then
  :
elif [[ $build_dir == "$PWD/build/win64" ]]; then
  cmake --preset win64 >/dev/null
  cmake --build --preset win64
else
  cmake --preset win64 -B "$build_dir" >/dev/null
  cmake --build "$build_dir" -j2
fi

cd tests/e2e
export PYTHONDONTWRITEBYTECODE=1
exec python3 -m harness --build-dir "$build_dir" "$@"
