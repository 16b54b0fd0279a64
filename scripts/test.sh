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

# The extraction's two threads under ThreadSanitizer: their test alone, about a minute.
cmake --preset host-tsan >/dev/null
cmake --build --preset host-tsan -j "$jobs"
ctest --preset host-tsan

# A short run of every fuzz target, about a minute in all (README: deeper runs).
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash tests/fuzz/run.sh build/fuzz 15

# Every end-to-end scenario under Wine, two at a time, about 4 minutes: each against the real i686
# setup.exe under wine32 and against its win64 twin under wine64 (both built above). Where this kernel
# runs no 32-bit code, the twin's alone, and one line says why. A failing scenario fails the whole command.
E2E_NO_BUILD=1 E2E_WORKERS=2 bash tests/e2e/run.sh
