#!/usr/bin/env bash
# Boots Debian's kernel under QEMU four times, with an emulated printer port
# at 0x378, at 0x278, with none and with two (0x378 and 0x278), and runs guest-init.sh's checks against
# the kernel's own parallel-port drivers. Passes when every expected check
# printed PASS; fails on any FAIL line, on a missing check and when a machine
# does not stop within its time.
#   tests/vm/run-vm-test.sh WORK-FOLDER TARVIK LAUNCHER CHECK PROBE-PLUGIN FILE...
# FILE... are further files the VM needs (port libraries, Qt plugins).
# Exits 77 (skipped) when no kernel can be had, except under CI (CI set).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$1 tarvik=$2 launcher=$3 check=$4 plugin=$5
shift 5
limit=300 # for each boot

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
# boot MACHINE "CHECK..." QEMU-ARGUMENT...: boots the machine, with the given
# printer port (or none), prints what its checks said and fails unless each
# check passed.
boot() {
  local machine=$1 checks=$2 log="$work/$1.log" status=0 start bad=0
  shift 2
  : >"$log"
  start=$(date +%s)
  timeout "$limit" qemu-system-x86_64 -machine pc "${accel[@]}" -cpu max -m 1024 -smp 1 \
    -nodefaults -display none -no-reboot \
    -kernel "$kernel/vmlinuz" -initrd "$work/initramfs.cpio" \
    -append "console=ttyS0 quiet panic=-1 machine=$machine tarvik=$tarvik launcher=$launcher check=$check plugins=$(dirname "$(dirname "$plugin")")" \
    -serial "file:$log" "$@" ||
    status=$?
  echo "VM $machine ran $(($(date +%s) - start)) s (wall clock, kernel $(basename "$kernel"))"

  tr -d '\r' <"$log" >"$log.txt"
  grep -E '^(accelerator|ports|tester|PASS|FAIL)' "$log.txt" || true
  if [ "$status" -eq 124 ]; then
    echo "FAIL: the VM did not stop within $limit s"
    bad=1
  fi
  grep -q '^FAIL' "$log.txt" && bad=1
  for name in $checks; do
    if ! grep -q "^PASS $name:" "$log.txt"; then
      echo "FAIL: no PASS from check $name"
      bad=1
    fi
  done
  if [ "$bad" -ne 0 ]; then
    echo "---- rest of the serial console ($log)"
    grep -vE '^(accelerator|ports|tester|PASS|FAIL)' "$log.txt" | tail -n 60
  fi
  return "$bad"
}

# The machines boot side by side, each on one processor; their reports follow
# one another.
started=$(date +%s)
machines=(port378 port278 none two)
boot port378 "inpout32-capture win95io-refused root-win95io-capture launcher-caps
  launcher-win95io-capture program-caps hold inpout32-busy" \
  -chardev null,id=printer -device isa-parallel,chardev=printer,iobase=0x378,irq=7 \
  >"$work/port378.report" 2>&1 &
boots=($!)
boot port278 "inpout32-capture launcher-caps launcher-win95io-capture" \
  -chardev null,id=printer -device isa-parallel,chardev=printer,iobase=0x278,irq=5 \
  >"$work/port278.report" 2>&1 &
boots+=($!)
boot none "inpout32-refused inpout32-node-refused launcher-caps launcher-win95io-refused" \
  >"$work/none.report" 2>&1 &
boots+=($!)
# The kernel numbers these two in the reverse order of the lines: parport0 at
# 0x378, parport1 at 0x278.
boot two "hold inpout32-parport1-capture inpout32-unknown-port launcher1-granted launcher1-caps
  launcher1-win95io-capture launcher3-granted launcher3-caps launcher3-win95io-refused" \
  -chardev null,id=second -device isa-parallel,chardev=second,iobase=0x278,irq=5 \
  -chardev null,id=printer -device isa-parallel,chardev=printer,iobase=0x378,irq=7 \
  >"$work/two.report" 2>&1 &
boots+=($!)
failed=0
for i in "${!machines[@]}"; do
  wait "${boots[$i]}" || failed=1
  cat "$work/${machines[$i]}.report"
done
echo "VM test: $(($(date +%s) - started)) s in all"
exit "$failed"
