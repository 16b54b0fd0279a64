#!/usr/bin/env bash
# Installers from the stub: setup-packed.exe (the stub and the sample's
# payload, made by the build) holds the same resources as the linked
# setup.exe, byte for byte as windres reads them; lumepack list/verify read
# it; the host resource reader installs from it; packing is reproducible;
# what cannot be changed safely is refused with its reason and no output.
# Usage: stub_installer_test.sh LUMEPACK WINDRES WINDOWS-BUILD-DIR UNIT_TESTS
set -uo pipefail
lumepack=$(realpath "$1") windres=$2 build=$3 unit_tests=$4
for file in setup.exe setup-stub.exe setup-packed.exe payload.bin; do
  [[ -f "$build/$file" ]] || { echo "missing $build/$file (build the win32 preset first)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The resources as windres reads them from an executable, as a .res file
# (through the script form, which keeps the languages).
resources_of() {
  "$windres" -i "$1" -O rc -o "$work/tmp.rc" && "$windres" -i "$work/tmp.rc" -O res -o "$2"
}

# Refusals: expect_refusal WANTED ARGS... for the installer verb.
source "$(dirname "$0")/refusals.sh"
refuse() { expect_refusal installer "$work/out.exe" "$@"; }

# The same resources as the linked installer, and the same payload listing.
resources_of "$build/setup.exe" "$work/linked.res" || fail "windres cannot read setup.exe"
resources_of "$build/setup-packed.exe" "$work/packed.res" || fail "windres cannot read setup-packed.exe"
cmp -s "$work/linked.res" "$work/packed.res" || fail "the resources of setup-packed.exe differ from setup.exe's"
"$lumepack" verify "$build/setup-packed.exe" >/dev/null || fail "verify of setup-packed.exe"
linked=$("$lumepack" list "$build/setup.exe" | tail -n +2)
packed=$("$lumepack" list "$build/setup-packed.exe" | tail -n +2)
[[ -n "$packed" && "$packed" == "$linked" ]] || fail "listings differ: $packed / $linked"
"$lumepack" list "$build/setup-stub.exe" &>/dev/null && fail "list found a payload in the stub"

# The host resource reader: a silent installation from those resources.
PACKED_INSTALLER_RES="$work/packed.res" "$unit_tests" --gtest_filter='StubInstallerTest.*' >"$work/log" 2>&1 ||
  { cat "$work/log"; fail "the silent installation from setup-packed.exe's resources"; }
grep -qE '^\[  PASSED  \] 1 test' "$work/log" || fail "the installation test did not run"

# The payload's checksum: resource 512/302 in both installers (the same bytes:
# compared above with the rest), in neither form in the stub; verify checks
# it, and fails with exit 1 on one byte changed in the payload's last kilobyte.
for exe in setup.exe setup-packed.exe; do
  grep -q ": checksum [0-9a-f]\{8\} matches" <<<"$("$lumepack" verify "$build/$exe")" || fail "verify of $exe: no checksum"
done
"$windres" -i "$build/setup-stub.exe" -O rc | grep -qE '^30[12] 512 ' && fail "the stub carries resource 512/301 or 512/302"
python3 -c 'import sys
image = bytearray(open(sys.argv[1], "rb").read())
payload = open(sys.argv[2], "rb").read()
at = image.find(payload)
assert at > 0 and image.find(payload, at + 1) < 0
image[at + len(payload) - 500] ^= 0x10
open(sys.argv[3], "wb").write(image)' "$build/setup-packed.exe" "$build/payload.bin" "$work/flipped.exe" ||
  fail "the payload of setup-packed.exe could not be changed"
message=$("$lumepack" verify "$work/flipped.exe" 2>&1)
status=$?
((status == 1)) || fail "verify of a changed payload byte: exit $status"
[[ "$message" == *"checksum mismatch: resource 512/302 holds CRC-32"* ]] || fail "changed payload byte: $message"

# Reproducible: the same stub and payload, or the same folder, give the same bytes.
"$lumepack" installer --stub "$build/setup-stub.exe" --payload "$build/payload.bin" -o "$work/a.exe" >/dev/null &&
  cmp -s "$work/a.exe" "$build/setup-packed.exe" || fail "packing the payload again gave other bytes"
mkdir -p "$work/in/SCRIPTS"
for name in zeta.txt alpha.txt lume32.exe mid.dat; do printf '%s\r\n' "$name" >"$work/in/$name"; done
printf 'delay 5\r\n' >"$work/in/SCRIPTS/DEFSCR"
"$lumepack" installer --stub "$build/setup-stub.exe" -o "$work/f1.exe" "$work/in" >/dev/null || fail "folder pack 1"
touch -d '2001-01-01' "$work/in/"*.txt && cp -r "$work/in" "$work/in2" && rm -rf "$work/in" && mv "$work/in2" "$work/in"
"$lumepack" installer --stub "$build/setup-stub.exe" -o "$work/f2.exe" "$work/in" >/dev/null || fail "folder pack 2"
cmp -s "$work/f1.exe" "$work/f2.exe" || fail "packing the same folder twice gave other bytes"
"$lumepack" verify "$work/f1.exe" >/dev/null || fail "verify of the folder installer"

# Replacing a payload: setup.exe given its own payload again keeps its resources.
refuse "already carries a payload" --stub "$build/setup.exe" --payload "$build/payload.bin"
"$lumepack" installer --replace --stub "$build/setup.exe" --payload "$build/payload.bin" -o "$work/r.exe" \
  >/dev/null || fail "--replace on setup.exe"
resources_of "$work/r.exe" "$work/replaced.res" && cmp -s "$work/replaced.res" "$work/linked.res" ||
  fail "--replace changed setup.exe's resources"
"$lumepack" installer --replace --stub "$work/f1.exe" --payload "$build/payload.bin" -o "$work/r2.exe" >/dev/null &&
  cmp -s "$work/r2.exe" "$build/setup-packed.exe" || fail "replacing a payload is not the same as packing the stub"

# The code page travels with the installer: list reads the names in it
# without being told, --codepage still overrides it.
mkdir -p "$work/cp" && printf 'MZ' >"$work/cp/lume32.exe" && printf 'z' >"$work/cp/ł.txt"
"$lumepack" installer --stub "$build/setup-stub.exe" --codepage 1250 -o "$work/cp.exe" "$work/cp" >/dev/null ||
  fail "installer with --codepage 1250"
grep -q '  ł.txt$' <<<"$("$lumepack" list "$work/cp.exe")" || fail "list did not read the recorded code page"
grep -q '  ³.txt$' <<<"$("$lumepack" list --codepage 1252 "$work/cp.exe")" || fail "--codepage did not override it"
[[ "$("$lumepack" verify "$work/cp.exe")" == *"code page 1250 (recorded in the installer)"* ]] || fail "verify's code page"

# Refusals.
printf 'not an executable\n' >"$work/text.exe"
refuse "not a Windows executable" --stub "$work/text.exe" --payload "$build/payload.bin"
printf 'MZ' >"$work/tiny.exe"
refuse "not a Windows executable" --stub "$work/tiny.exe" --payload "$build/payload.bin"
if [[ -f "$build/sample/lume32.exe" ]]; then
  refuse "not an installer stub" --stub "$build/sample/lume32.exe" --payload "$build/payload.bin"
fi
{ cat "$build/setup-stub.exe"; printf 'appended'; } >"$work/appended.exe"
refuse "follow the last section" --stub "$work/appended.exe" --payload "$build/payload.bin"
refuse "no --stub" --payload "$build/payload.bin"
refuse "an executable, not a payload" --stub "$build/setup-stub.exe" --payload "$build/setup.exe"
head -c 100 "$build/payload.bin" >"$work/cut.bin"
refuse "cut.bin" --stub "$build/setup-stub.exe" --payload "$work/cut.bin"
refuse "missing.exe: cannot be opened" --stub "$work/missing.exe" --payload "$build/payload.bin"
refuse "main program" --stub "$build/setup-stub.exe" --main viewer.exe "$work/in"

((failures == 0)) && echo "lumepack installer: all checks passed"
exit $((failures > 0))
