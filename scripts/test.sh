#!/usr/bin/env bash
# Every test: the host build with AddressSanitizer and UndefinedBehaviorSanitizer,
# plus the checks on the built Windows executables.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
for preset in win32 win64 host; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

ctest --preset host -j "$jobs"
