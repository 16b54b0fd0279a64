#!/usr/bin/env bash
# Tells whether this machine's kernel runs 32-bit x86 programs, which wine32 (and so the real
# i686 setup.exe) needs; some kernels have their 32-bit emulation switched off. No compiler is
# needed: binutils assemble and link a static i386 program that only exits 0 through int $0x80.
# Exits 0 when it ran; otherwise prints one line saying why not and exits 1.
set -uo pipefail

machine=$(uname -m)
case $machine in
  x86_64 | i?86) ;;
  *) echo "this machine is $machine, not x86"; exit 1 ;;
esac
for tool in as ld; do
  command -v "$tool" >/dev/null || { echo "cannot tell: binutils' $tool is not installed"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/exit0.s" <<'END'
.globl _start
_start:
  mov $1, %eax
  mov $0, %ebx
  int $0x80
END
if ! as --32 -o "$work/exit0.o" "$work/exit0.s" 2>"$work/log" || ! ld -m elf_i386 -o "$work/exit0" "$work/exit0.o" 2>>"$work/log"; then
  echo "cannot tell: binutils made no i386 program ($(head -n 1 "$work/log"))"
  exit 1
fi
error=$("$work/exit0" 2>&1)
code=$?
((code == 0)) && exit 0
error=${error##*: }
echo "this kernel runs no 32-bit code (a static i386 program: ${error:-exit code $code})"
exit 1
