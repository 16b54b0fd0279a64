#!/usr/bin/env bash
# The product executable is a 32-bit GUI program that imports only system DLLs.
set -euo pipefail
exe=$1
[[ -f "$exe" ]] || { echo "missing $exe (build the win32 preset first)"; exit 1; }
headers=$(i686-w64-mingw32-objdump -p "$exe")
fail=0
grep -q 'file format pei-i386' <<<"$headers" || { echo "not a PE32 i386 file"; fail=1; }
grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || { echo "not PE32"; fail=1; }
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || { echo "not a GUI executable"; fail=1; }
system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|COMDLG32|msvcrt)\.dll$'
while read -r dll; do
  if ! grep -qiE "$system_dlls" <<<"$dll"; then echo "imports a non-system DLL: $dll"; fail=1; fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")
[[ $fail -eq 0 ]] && echo "setup.exe: PE32 i386 GUI, system DLLs only"
exit $fail
