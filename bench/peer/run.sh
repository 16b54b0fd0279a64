#!/usr/bin/env bash
# Silent installations of our installer against NSIS ones of the same files, under Wine.
#
#   bash bench/peer/run.sh [--rounds 5] [--megabytes 50] [--files 1200] [--work DIR] [--log]
#
# Needs the host, win32 and win64 builds of this tree (cmake --preset host|win32|win64 and
# cmake --build --preset ...), wine64 (wine32 too for the 32-bit rows), Xvfb and makensis
# (Debian's nsis; installed here with apt-get when missing). See bench/README.md.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v makensis >/dev/null; then
  echo "installing nsis with apt-get" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y nsis >/dev/null 2>&1 ||
    { apt-get update >/dev/null 2>&1 && DEBIAN_FRONTEND=noninteractive apt-get install -y nsis >/dev/null; }
fi
exec python3 "$here/run.py" "$@"
