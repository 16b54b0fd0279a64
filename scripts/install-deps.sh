#!/usr/bin/env bash
# Installs the Debian packages that the builds and tests need; quick when
# they are all present already. Usage: install-deps.sh [package...]
# Asked for wine64, it adds wine32:i386 beside it (and the i386 architecture to
# dpkg) where the kernel runs 32-bit code (scripts/runs-32bit.sh), so that the
# real i686 setup.exe runs in a WoW64 prefix.
set -euo pipefail
here=$(dirname "$0")

packages=(
  cmake ninja-build g++ binutils pkg-config
  libgtest-dev zlib1g-dev libdeflate-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  libz-mingw-w64-dev
  clang libclang-rt-14-dev
  "$@"
)

installed() {
  [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true) == "install ok installed" ]]
}

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
updated=0
apt_install() {
  echo "Installing: $*"
  if ((!updated)); then
    "${sudo_cmd[@]}" apt-get update -qq
    updated=1
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$@" >/dev/null
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done

wine32=0
for package in "$@"; do
  [[ $package == wine64 ]] && wine32=1
done
if ((wine32)) && ! installed wine32:i386; then
  # The probe needs binutils' as and ld, which every image we know has; install them first if not.
  if ! command -v as >/dev/null || ! command -v ld >/dev/null; then
    apt_install binutils
  fi
  if bash "$here/runs-32bit.sh" >/dev/null; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      "${sudo_cmd[@]}" dpkg --add-architecture i386
      updated=0 # the i386 package lists are fetched by the next update
    fi
    missing+=(wine32:i386)
  fi
  # Where the kernel runs no 32-bit code the twin runs alone; the tests and the main job say so.
fi

if ((${#missing[@]})); then
  apt_install "${missing[@]}"
fi
