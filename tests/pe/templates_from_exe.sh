#!/usr/bin/env bash
# Reads the resources back from the built setup.exe and checks its dialog
# templates against the tables, with the same test as the host resources.
set -euo pipefail
windres=$1 exe=$2 unit_tests=$3
[[ -f "$exe" ]] || { echo "missing $exe (build the win32 preset first)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Through the script form: windres drops the languages when it writes a .res
# straight from an executable, but keeps them in the script.
"$windres" -i "$exe" -O rc -o "$work/from_exe.rc"
"$windres" -i "$work/from_exe.rc" -O res -o "$work/from_exe.res"
DIALOG_TEMPLATES_RES="$work/from_exe.res" "$unit_tests" --gtest_filter='TemplatesTest.*' | tee "$work/log"
# A filter that selects nothing passes too: insist that the tests ran.
grep -qE '^\[  PASSED  \] [1-9][0-9]* test' "$work/log" || { echo "the template tests did not run"; exit 1; }
