#!/usr/bin/env bash
# The export directory of setup.exe: module name "tova.ent", ordinal base 1,
# "_DetectWindows@0" at ordinal 1 and "_lstrcmpni@12" at ordinal 2, both
# pointing into the code, each at the function it names (from the link map
# beside the executable).
set -euo pipefail
exe=$1
map=$2
[[ -f "$exe" ]] || { echo "missing $exe (build the win32 preset first)"; exit 1; }
headers=$(i686-w64-mingw32-objdump -p "$exe")
exports=$(sed -n '/^The Export Tables/,/^PE File Base\|^The Function Table\|^Sections:/p' <<<"$headers")
fail=0
[[ -n "$exports" ]] || { echo "no export directory"; exit 1; }
grep -qE '^Name[[:space:]]+[0-9a-f]+ tova\.ent$' <<<"$exports" || { echo "module name is not tova.ent"; fail=1; }
grep -qE '^Ordinal Base[[:space:]]+1$' <<<"$exports" || { echo "ordinal base is not 1"; fail=1; }
grep -qE 'Export Address Table[[:space:]]+0*2$' <<<"$exports" || { echo "not exactly two functions"; fail=1; }
grep -qE '\[Name Pointer/Ordinal\] Table[[:space:]]+0*2$' <<<"$exports" || { echo "not exactly two names"; fail=1; }

# The name table lists "[index] name" with index = ordinal - base.
names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$exports")
grep -qE '^[[:space:]]*\[ *0\] _DetectWindows@0$' <<<"$names" || { echo "_DetectWindows@0 is not ordinal 1"; fail=1; }
grep -qE '^[[:space:]]*\[ *1\] _lstrcmpni@12$' <<<"$names" || { echo "_lstrcmpni@12 is not ordinal 2"; fail=1; }

# Both entries are code addresses (not forwarders), and different ones.
rvas=$(awk '/\+base\[/ && /Export RVA/ {print $(NF-2)}' <<<"$exports")
[[ $(wc -l <<<"$rvas") -eq 2 && $(sort -u <<<"$rvas" | wc -l) -eq 2 ]] || { echo "export addresses: $rvas"; fail=1; }
text=$(awk '$2 == ".text" {print $4, $3}' < <(i686-w64-mingw32-objdump -h "$exe"))
read -r text_start text_size <<<"$text"
image_base=$(awk '/^ImageBase/ {print $2}' <<<"$headers")
for rva in $rvas; do
  if ((0x$rva < 0x$text_start - 0x$image_base || 0x$rva >= 0x$text_start - 0x$image_base + 0x$text_size)); then
    echo "export RVA $rva lies outside .text"; fail=1
  fi
done
# Each name is bound to its own function: its address is that symbol's in the link map.
[[ -f "$map" ]] || { echo "missing link map $map"; exit 1; }
# The link map names the functions without the exported name's leading underscore.
for entry in "1 DetectWindows@0" "2 lstrcmpni@12"; do
  read -r ordinal symbol <<<"$entry"
  rva=$(sed -n "${ordinal}p" <<<"$rvas")
  address=$(awk -v s="$symbol" '$2 == s && $1 ~ /^0x/ {print $1; exit}' "$map")
  if [[ -z "$rva" || -z "$address" ]] || ((0x$rva + 0x$image_base != address)); then
    echo "_$symbol (ordinal $ordinal) is bound to RVA ${rva:-none}, but the function lies at ${address:-nowhere}"; fail=1
  fi
done
[[ $fail -eq 0 ]] && echo "setup.exe exports: tova.ent, _DetectWindows@0 @1, _lstrcmpni@12 @2"
exit $fail
