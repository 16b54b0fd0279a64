#!/usr/bin/env bash
# Differential conformance of the Win32 stand-in: the probe built for the host
# against win32sim is compared line by line with the same probe built for
# Windows, the i686 one under wine (a WoW64 prefix) and the x86_64 one under
# wine64, each in a throwaway prefix on an Xvfb of its own. A difference not
# listed in tests/conformance/known_differences.txt fails the run.
#
# Usage: tests/conformance/run.sh [--no-build] [--skip-missing] [--keep]
#                                 [HOST_PROBE [WIN32_PROBE [WIN64_PROBE]]]
#   --no-build      use the probes as they are (default: build the three
#                   presets' conformance_probe targets first)
#   --skip-missing  exit 77 (skipped) when a Windows probe has not been built
#   --keep          keep the work folder (outputs, prefixes, logs)
# Ends with the line "N passed, M failed".
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

build=1
skip_missing=0
keep=0
probes=()
for argument in "$@"; do
  case $argument in
    --no-build) build=0 ;;
    --skip-missing) skip_missing=1 ;;
    --keep) keep=1 ;;
    -*) echo "run.sh: unknown option $argument" >&2; exit 2 ;;
    *) probes+=("$argument") ;;
  esac
done
host_probe=${probes[0]:-$root/build/host/conformance/probe}
win32_probe=${probes[1]:-$root/build/win32/conformance/probe.exe}
win64_probe=${probes[2]:-$root/build/win64/conformance/probe.exe}

if ((build)); then
  for preset in host win32 win64; do
    [[ -f $root/build/$preset/CMakeCache.txt ]] || cmake --preset "$preset" -S "$root" >/dev/null
    cmake --build "$root/build/$preset" --target conformance_probe -j2 >/dev/null
  done
fi
for probe in "$win32_probe" "$win64_probe"; do
  if [[ ! -f $probe ]]; then
    echo "conformance: $probe is missing: build the win32 and win64 presets first"
    if ((skip_missing)); then exit 77; fi
    exit 2
  fi
done
[[ -x $host_probe ]] || { echo "conformance: $host_probe is missing: build the host preset first"; exit 2; }

# Can this kernel run 32-bit code at all? A static i386 program that exits 0.
run_i686=1
probe_dir=$(mktemp -d)
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$probe_dir/i386.s"
if ! { as --32 -o "$probe_dir/i386.o" "$probe_dir/i386.s" && ld -m elf_i386 -o "$probe_dir/i386" "$probe_dir/i386.o" &&
  "$probe_dir/i386"; } >/dev/null 2>&1; then
  echo "conformance: this kernel cannot run 32-bit code: comparing with x64 only"
  run_i686=0
fi
rm -rf "$probe_dir"

packages=(wine64 xvfb python3)
if ((run_i686)); then
  # wine32 comes from the i386 architecture, which may need adding first.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    if [[ $(id -u) == 0 ]]; then dpkg --add-architecture i386; else sudo dpkg --add-architecture i386; fi
  fi
  packages+=(wine wine32:i386)
fi
bash "$root/scripts/install-deps.sh" "${packages[@]}"

WINE64=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINE32=$(command -v wine || echo /usr/lib/wine/wine)
WINESERVER=$(command -v wineserver64 || { [[ -x /usr/lib/wine/wineserver64 ]] && echo /usr/lib/wine/wineserver64; } ||
  command -v wineserver)
for tool in "$WINE64" Xvfb python3; do
  command -v "$tool" >/dev/null || { echo "conformance: $tool is not installed"; exit 2; }
done

# Wine as root ignores the permission bits behind the read-only attribute
# (root may write any file), which Windows never does: it runs as nobody,
# in a work folder that nobody can reach.
as_user=()
temp=${TMPDIR:-/tmp}
if [[ $(id -u) == 0 ]]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  temp=/tmp
fi
work=$(mktemp -d "$temp/conformance.XXXXXX")
xvfb_pid=
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if ((keep)); then echo "conformance: work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

if ((${#as_user[@]})); then chown 65534:65534 "$work"; fi

exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 640x480x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec {display_fd}>&-
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
[[ -s $work/display ]] || { echo "conformance: Xvfb did not start; see $work/xvfb.log"; exit 2; }
display=:$(tr -d '\n' <"$work/display")

# One Wine run in the prefix $1 (made when missing) as the user above.
in_prefix() {
  local prefix=$1
  shift
  "${as_user[@]}" env -i PATH="$PATH" HOME="$work/home" WINEPREFIX="$prefix" WINEARCH=win64 DISPLAY="$display" \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=C.UTF-8 "$@"
}

"${as_user[@]}" mkdir -p "$work/home"
in_prefix "$work/template" "$WINE64" wineboot --init >"$work/wineboot.log" 2>&1 || true
in_prefix "$work/template" "$WINESERVER" -w
[[ -d $work/template/drive_c ]] || { echo "conformance: wineboot failed; see $work/wineboot.log"; exit 2; }
# Only drive C: the probe's files stay in the prefix.
rm -f "$work/template/dosdevices/z:"

run_wine() {
  local name=$1 wine=$2 probe=$3
  "${as_user[@]}" cp -a "$work/template" "$work/$name"
  cp "$probe" "$work/$name/drive_c/probe.exe"
  if ((${#as_user[@]})); then chown 65534:65534 "$work/$name/drive_c/probe.exe"; fi
  (cd "$work/$name/drive_c" && in_prefix "$work/$name" timeout 300 "$wine" 'C:\probe.exe') \
    >"$work/$name.raw" 2>"$work/$name.err" || echo "conformance: the $name probe failed (exit $?); see $work/$name.err"
  in_prefix "$work/$name" "$WINESERVER" -k 2>/dev/null || true
  tr -d '\r' <"$work/$name.raw" >"$work/$name.out"
}

"$host_probe" >"$work/host.out" 2>"$work/host.err" || echo "conformance: the host probe failed (exit $?); see $work/host.err"
sides=()
if ((run_i686)); then
  run_wine i686 "$WINE32" "$win32_probe"
  sides+=("i686=$work/i686.out")
fi
run_wine x64 "$WINE64" "$win64_probe"
sides+=("x64=$work/x64.out")

python3 "$here/compare.py" "$here/known_differences.txt" "$work/host.out" "${sides[@]}"
