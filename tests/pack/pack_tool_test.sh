#!/usr/bin/env bash
# lumepack from the shell: pack -> verify -> list on a folder with an empty
# file, a subfolder entry and a file over 1 MB; each refusal gives its
# message, a non-zero exit and no output file. Usage: pack_tool_test.sh LUMEPACK
set -uo pipefail
lumepack=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

make_folder() {
  rm -rf "$work/in" && mkdir -p "$work/in/SCRIPTS"
  printf 'MZ stand-in' >"$work/in/lume32.exe"
  : >"$work/in/empty.txt"
  printf 'delay 5\r\n' >"$work/in/SCRIPTS/DEFSCR"
  head -c 1500000 /dev/urandom >"$work/in/big.dat"
}

# Refusals: expect_refusal WANTED ARGS... for the pack verb.
source "$(dirname "$0")/refusals.sh"
refuse() { expect_refusal pack "$work/out.bin" "$@"; }

make_folder
"$lumepack" pack -o "$work/out.bin" "$work/in" >/dev/null || fail "pack of the folder"
"$lumepack" verify "$work/out.bin" >/dev/null || fail "verify of the packed folder"
listing=$("$lumepack" list "$work/out.bin") || fail "list of the packed folder"
expected="lume32.exe DEFSCR!SCRIPTS big.dat empty.txt"
actual=$(awk 'NR > 1 { printf "%s%s", sep, $2; sep = " " }' <<<"$listing")
[[ "$actual" == "$expected" ]] || fail "listed \"$actual\", expected \"$expected\""
grep -q '^ *1500000  big.dat$' <<<"$listing" || fail "big.dat listed with the wrong size"
grep -q '^ *0  empty.txt$' <<<"$listing" || fail "empty.txt listed with the wrong size"
grep -q '4 entries, total size 1500068 bytes.*(78 DA)' <<<"$listing" || fail "header line: $listing"

# Names go in as the installer's ANSI code page: Windows-1252 unless
# --codepage says otherwise; list reads them back into UTF-8. Read as
# Windows-1250, the same 0xEF is 'ď'; 'ł' is 0xB3 in Windows-1250, '³' in 1252.
mkdir -p "$work/latin/SUB" && printf 'MZ' >"$work/latin/lume32.exe"
printf 'x' >"$work/latin/naïve.txt" && printf 'y' >"$work/latin/SUB/Ölbild.png"
"$lumepack" pack -o "$work/latin.bin" "$work/latin" >/dev/null || fail "pack of Latin-1 names"
"$lumepack" verify "$work/latin.bin" >/dev/null || fail "verify of Latin-1 names"
listing=$("$lumepack" list "$work/latin.bin")
grep -q '  naïve.txt$' <<<"$listing" && grep -q '  Ölbild.png!SUB$' <<<"$listing" || fail "listed: $listing"
grep -q '  naďve.txt$' <<<"$("$lumepack" list --codepage WINDOWS-1250 "$work/latin.bin")" ||
  fail "naïve.txt is not 0xEF in the payload"
rm -rf "$work/latin/SUB" "$work/latin/naïve.txt" && printf 'z' >"$work/latin/ł.txt"
"$lumepack" pack --codepage 1250 -o "$work/latin.bin" "$work/latin" >/dev/null || fail "pack with --codepage 1250"
grep -q '  ł.txt$' <<<"$("$lumepack" list --codepage CP1250 "$work/latin.bin")" || fail "ł.txt in Windows-1250"
grep -q '  ³.txt$' <<<"$("$lumepack" list "$work/latin.bin")" || fail "ł.txt is not 0xB3 in the payload"

# The checksum resource file of a payload: zlib's CRC-32 of every byte, then
# the code page, both little-endian. A payload file carries none for verify to check.
"$lumepack" checksum -o "$work/out.crc" --codepage 1250 "$work/out.bin" >/dev/null || fail "checksum of the payload"
python3 -c 'import struct, sys, zlib
expected = struct.pack("<IH", zlib.crc32(open(sys.argv[1], "rb").read()), 1250)
sys.exit(open(sys.argv[2], "rb").read() != expected)' "$work/out.bin" "$work/out.crc" || fail "checksum file contents"
"$lumepack" verify "$work/out.bin" | grep -q checksum && fail "verify of a payload file spoke of a checksum"
printf 'MZ' >"$work/mz.bin"
expect_refusal checksum "$work/mz.crc" "an executable, not a payload file" "$work/mz.bin"

# The same files named one by one, relative to -C.
(cd "$work/in" && "$lumepack" pack -o "$work/list.bin" big.dat SCRIPTS/DEFSCR lume32.exe empty.txt >/dev/null) ||
  fail "pack of a file list"
"$lumepack" verify "$work/list.bin" >/dev/null || fail "verify of the file list"

# Damage is found: a flipped trailer byte, a cut stream, trailing bytes.
cp "$work/out.bin" "$work/bad.bin"
size=$(stat -c %s "$work/bad.bin")
printf '\xff' | dd of="$work/bad.bin" bs=1 seek=$((size - 1)) conv=notrunc status=none
"$lumepack" verify "$work/bad.bin" &>/dev/null && fail "verify accepted a damaged trailer"
head -c $((size - 10)) "$work/out.bin" >"$work/cut.bin"
"$lumepack" verify "$work/cut.bin" &>/dev/null && fail "verify accepted a cut payload"
{ cat "$work/out.bin"; printf 'x'; } >"$work/long.bin"
"$lumepack" verify "$work/long.bin" &>/dev/null && fail "verify accepted bytes after the stream"
printf 'MZ' >"$work/tiny.exe"
message=$("$lumepack" list "$work/tiny.exe" 2>&1) && fail "list accepted a broken executable"
[[ "$message" == *"not a PE executable"* ]] || fail "broken executable: $message"

# Usage errors exit 2 with one line and a pointer to --help; --help and
# --version exit 0.
for args in "" "frob" "pack --frob $work/in" "pack -o" "list" "verify a b" "checksum --codepage 437 x"; do
  # shellcheck disable=SC2086
  message=$("$lumepack" $args 2>&1)
  status=$?
  ((status == 2)) || fail "lumepack $args: exit $status, not 2"
  [[ "$message" == *"Try 'lumepack --help'."* && $(wc -l <<<"$message") -eq 2 ]] || fail "lumepack $args: $message"
done
for args in --help --version; do "$lumepack" $args >/dev/null || fail "lumepack $args did not exit 0"; done
[[ "$("$lumepack" --version)" == "lumepack "* ]] || fail "--version: $("$lumepack" --version)"

# Outputs: only a regular file or a new name; a device or a link is left as it is.
ln -s "$work/target.bin" "$work/link.bin"
message=$("$lumepack" pack -o "$work/link.bin" "$work/in" 2>&1) && fail "pack wrote through a symbolic link"
[[ -L "$work/link.bin" && ! -e "$work/target.bin" && "$message" == *"a symbolic link, not a regular file"* ]] ||
  fail "symbolic link output: $message"
message=$("$lumepack" pack -o /dev/null "$work/in" 2>&1) && fail "pack replaced /dev/null"
[[ -c /dev/null && "$message" == *"a device, not a regular file"* ]] || fail "device output: $message"
compgen -G "/dev/null.*" >/dev/null && fail "a temporary file was left beside /dev/null"
refuse "the folder $work/nowhere does not exist" -o "$work/nowhere/x.bin" "$work/in"

# Left out by default, each named; kept on request; --exclude on the relative path.
mkdir -p "$work/in/.git" "$work/in/SCRIPTS/.svn" && : >"$work/in/.git/config" && : >"$work/in/SCRIPTS/.svn/x"
: >"$work/in/Thumbs.db" && : >"$work/in/SCRIPTS/desktop.ini" && : >"$work/in/notes.bak"
listing=$("$lumepack" pack -o "$work/ex.bin" --exclude '*.bak' "$work/in") || fail "pack with excludes"
for name in .git/ SCRIPTS/.svn/ Thumbs.db SCRIPTS/desktop.ini; do
  grep -qx "left out: $name (by default; --no-default-excludes keeps it)" <<<"$listing" || fail "$name not named"
done
[[ $("$lumepack" list "$work/ex.bin" | awk 'NR > 1 { print $2 }' | sort | tr '\n' ' ') == \
  "DEFSCR!SCRIPTS big.dat empty.txt lume32.exe " ]] || fail "excluded entries packed: $("$lumepack" list "$work/ex.bin")"
rm -rf "$work/in/.git" "$work/in/SCRIPTS/.svn"
"$lumepack" pack -o "$work/ex.bin" --no-default-excludes "$work/in" >/dev/null || fail "--no-default-excludes"
"$lumepack" list "$work/ex.bin" | grep -q '  desktop.ini!SCRIPTS$' || fail "--no-default-excludes left desktop.ini out"
rm -f "$work/in/Thumbs.db" "$work/in/SCRIPTS/desktop.ini" "$work/in/notes.bak"
mkdir -p "$work/void" && refuse "the folder is empty" "$work/void"

# Every name that cannot be stored is reported in one run.
: >"$work/in/a\$b.txt" && : >"$work/in/def.tvd" && : >"$work/in/bang!x.txt"
refuse "3 names cannot be stored" "$work/in"
message=$("$lumepack" pack -o "$work/out3.bin" "$work/in" 2>&1)
for name in 'a$b.txt' def.tvd 'bang!x.txt'; do [[ "$message" == *"$name"* ]] || fail "$name not reported: $message"; done
rm -f "$work/in/a\$b.txt" "$work/in/def.tvd" "$work/in/bang!x.txt"

# Refusals.
mkdir -p "$work/in/SUB/DEEP" && : >"$work/in/SUB/DEEP/x"
refuse "DEEP" "$work/in"
rm -rf "$work/in/SUB"
: >"$work/in/bang!name.txt"
refuse "bang!name.txt" "$work/in"
rm -f "$work/in/bang!name.txt"
: >"$work/in/back\\slash"
refuse "back\\slash" "$work/in"
rm -f "$work/in/back\\slash"
# Names the installed-file records could not carry back: a '$', DEF.TVD at the top.
for name in 'a$b.txt' 'def.tvd'; do
  : >"$work/in/$name"
  refuse "\"$name\"" "$work/in"
  rm -f "$work/in/$name"
done
mkdir -p "$work/in/SUB\$" && : >"$work/in/SUB\$/a.txt"
refuse "a.txt!SUB\$" "$work/in"
rm -rf "$work/in/SUB\$"
long=$(printf 'n%.0s' {1..52})
: >"$work/in/$long"
refuse "$long" "$work/in"
rm -f "$work/in/$long"
refuse "\"viewer.exe\"" --main viewer.exe "$work/in"
# What the code page cannot hold, and what is not UTF-8, is refused by name.
refuse "ł.txt\" cannot be stored: 'ł' is not in code page CP1252" "$work/latin"
bad=$'bad\xff.txt'
: >"$work/in/$bad"
refuse "$bad\" cannot be stored: not valid UTF-8" "$work/in"
rm -f "$work/in/$bad"
: >"$work/in/日本.txt"
refuse "日本.txt\" cannot be stored: '日' is not in code page CP1252" "$work/in"
# Only Windows' ANSI code pages, and never with an iconv suffix.
for page in NO-SUCH-PAGE ISO-8859-1 UTF-8 CP1252//TRANSLIT 437; do
  refuse "code page \"$page\" is not one the installer can run in" --codepage "$page" "$work/in"
done
message=$("$lumepack" list --codepage EUC-JP "$work/list.bin" 2>&1) && fail "list accepted --codepage EUC-JP"
[[ "$message" == *"874, 932, 936, 949, 950 or 1250 to 1258"* ]] || fail "list --codepage EUC-JP: $message"
rm -f "$work/in/日本.txt"
refuse "missing.txt" -C "$work/in" lume32.exe missing.txt
refuse "SUB/DEEP/x" -C "$work/in" lume32.exe SUB/DEEP/x
refuse "nothing to pack"
# Sizes of 2^31 and more: a sparse file costs no disk space.
truncate -s 2147483648 "$work/in/huge.dat"
refuse "huge.dat" "$work/in"
rm -f "$work/in/huge.dat"
truncate -s 1200000000 "$work/in/half1.dat" "$work/in/half2.dat"
refuse "total size" "$work/in"
rm -f "$work/in/half"*.dat
# More than 65,535 entries.
mkdir -p "$work/many" && : >"$work/many/lume32.exe"
(cd "$work/many" && seq 1 65535 | xargs touch)
refuse "65535" "$work/many"

# A built installer, when there is one: the payload is found inside it.
setup=${2:-}
if [[ -n "$setup" && -f "$setup" ]]; then
  listing=$("$lumepack" list "$setup") || fail "list of $setup"
  [[ $(awk 'NR == 2 { print $2 }' <<<"$listing") == lume32.exe ]] || fail "first entry of $setup: $listing"
  verified=$("$lumepack" verify "$setup") || fail "verify of $setup"
  [[ "$verified" == *"checksum "*" matches (resource 512/302)"* ]] || fail "verify of $setup: $verified"
fi

((failures == 0)) && echo "lumepack: all checks passed"
exit $((failures > 0))
