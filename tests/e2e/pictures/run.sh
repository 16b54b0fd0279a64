#!/usr/bin/env bash
# PNG pictures of the installer's five dialogs (path, licence, checklist, copy, completion),
# cropped to each dialog, for the README: one interactive installation of the win64 twin
# under wine64 on Xvfb.
# Usage: tests/e2e/pictures/run.sh [OUTPUT-DIR [DPI]]   (default docs/, 96 DPI; at another DPI the
# pictures are named NAME-<DPI>dpi.png)
# The copy dialog needs a payload of some size to be photographed: a build of its own in
# build/e2e-pictures links 40 MB of seeded noise beside the sample's files, and the installer
# is slowed down while it copies. The product's own builds stay as they are.
# E2E_BUILD_DIR names the sample's win64 build (default build/win64), which supplies lume32.exe
# and the pack tool; E2E_NO_BUILD=1 uses it as it is.
set -euo pipefail
cd "$(dirname "$0")/../../.."

bash scripts/install-deps.sh wine64 xvfb imagemagick python3

output=$(realpath -m "${1:-docs}")
dpi=${2:-96}
sample_build=$(realpath -m "${E2E_BUILD_DIR:-build/win64}")
pictures_build=$PWD/build/e2e-pictures

if [[ ${E2E_NO_BUILD:-0} == 1 ]]; then
  :
elif [[ $sample_build == "$PWD/build/win64" ]]; then
  cmake --preset win64 >/dev/null
  cmake --build --preset win64
else
  cmake --preset win64 -B "$sample_build" >/dev/null
  cmake --build "$sample_build" -j2
fi

mkdir -p "$pictures_build"
python3 tests/e2e/pictures/make_payload.py "$pictures_build/payload-files" "$sample_build/sample/lume32.exe" sample 40
"$sample_build/native-tools/lumepack" pack -o "$pictures_build/bulk-payload.bin" "$pictures_build/payload-files"
cmake --preset win64 -B "$pictures_build" -DPAYLOAD="$pictures_build/bulk-payload.bin" >/dev/null
cmake --build "$pictures_build" -j2
x86_64-w64-mingw32-gcc -Wall -Wextra -Werror -O2 -s -static -o "$pictures_build/busy_dialog.exe" \
  tests/e2e/pictures/busy_dialog.c

cd tests/e2e
export PYTHONDONTWRITEBYTECODE=1
exec python3 pictures/take.py --build-dir "$pictures_build" --screenshots "$output" --dpi "$dpi" --workers 1
