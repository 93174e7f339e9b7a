#!/usr/bin/env bash
# Boots Debian's kernel under QEMU with an emulated printer port at 0x378 and
# runs guest-init.sh's checks against the kernel's own parallel-port drivers.
# Passes when every expected check printed PASS; fails on any FAIL line, on a
# missing check and when the machine does not stop within its time.
#   tests/vm/run-vm-test.sh WORK-FOLDER TARVIK LAUNCHER CHECK PROBE-PLUGIN FILE...
# FILE... are further files the VM needs (port libraries, Qt plugins).
# Exits 77 (skipped) when no kernel can be had, except under CI (CI set).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$1 tarvik=$2 launcher=$3 check=$4 plugin=$5
shift 5
expected=(inpout32-capture win95io-refused launcher-caps launcher-win95io-capture program-caps
  hold inpout32-busy)
limit=300

if ! kernel=$("$here/fetch-kernel.sh"); then
  echo "No kernel to boot: run scripts/install-deps.sh --test where a Debian mirror can be reached."
  [ -n "${CI:-}" ] && exit 1
  echo "SKIPPED"
  exit 77
fi

mkdir -p "$work"
"$here/build-initramfs.sh" "$work/initramfs.cpio" "$kernel" "$here/guest-init.sh" \
  "$tarvik" "$launcher" "$check" "$plugin" /usr/sbin/setcap "$@"

# KVM when the processor offers virtualisation and /dev/kvm is ours (inside
# some VMs /dev/kvm opens but guests never start); else QEMU's own emulation.
accel=(-accel tcg)
if [ -r /dev/kvm ] && [ -w /dev/kvm ] && grep -qwE 'vmx|svm' /proc/cpuinfo; then
  accel=(-accel kvm -accel tcg) # QEMU takes the first that starts
fi
log="$work/serial.log"
: >"$log"
start=$(date +%s)
status=0
timeout "$limit" qemu-system-x86_64 -machine pc "${accel[@]}" -cpu max -m 1024 -smp 1 \
  -nodefaults -display none -no-reboot \
  -kernel "$kernel/vmlinuz" -initrd "$work/initramfs.cpio" \
  -append "console=ttyS0 quiet panic=-1 tarvik=$tarvik launcher=$launcher check=$check plugins=$(dirname "$(dirname "$plugin")")" \
  -serial "file:$log" \
  -chardev null,id=printer -device isa-parallel,chardev=printer,iobase=0x378,irq=7 ||
  status=$?
echo "VM ran $(($(date +%s) - start)) s (wall clock, kernel $(basename "$kernel"))"

tr -d '\r' <"$log" >"$log.txt"
grep -E '^(accelerator|tester|PASS|FAIL)' "$log.txt" || true
failed=0
if [ "$status" -eq 124 ]; then
  echo "FAIL: the VM did not stop within $limit s"
  failed=1
fi
grep -q '^FAIL' "$log.txt" && failed=1
for name in "${expected[@]}"; do
  if ! grep -q "^PASS $name:" "$log.txt"; then
    echo "FAIL: no PASS from check $name"
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "---- rest of the serial console ($log)"
  grep -vE '^(accelerator|tester|PASS|FAIL)' "$log.txt" | tail -n 60
fi
exit "$failed"
