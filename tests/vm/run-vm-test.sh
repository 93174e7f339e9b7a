#!/usr/bin/env bash
# Boots Debian's kernel under QEMU four times, with an emulated printer port
# at 0x378, at 0x278, with none and with two (0x378 and 0x278), and runs guest-init.sh's checks against
# the kernel's own parallel-port drivers. The .sr files that tarvik-cli writes
# inside come out on the console, and sigrok-cli reads them here once the
# machine has stopped. Passes when every expected check printed PASS; fails on
# any FAIL line, on a missing check and when a machine does not stop within its
# time.
#   tests/vm/run-vm-test.sh WORK-FOLDER TARVIK CLI LAUNCHER CHECK PROBE-PLUGIN FILE...
# FILE... are further files the VM needs (port libraries, the link to their
# folder, Qt plugins).
# Exits 77 (skipped) when no kernel can be had, except under CI (CI set).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$1 tarvik=$2 cli=$3 launcher=$4 check=$5 plugin=$6
shift 6
limit=300 # for each boot

if ! kernel=$("$here/fetch-kernel.sh"); then
  echo "No kernel to boot: run scripts/install-deps.sh --test where a Debian mirror can be reached."
  [ -n "${CI:-}" ] && exit 1
  echo "SKIPPED"
  exit 77
fi

mkdir -p "$work"
"$here/build-initramfs.sh" "$work/initramfs.cpio" "$kernel" "$here/guest-init.sh" \
  "$tarvik" "$cli" "$launcher" "$check" "$plugin" /usr/sbin/setcap "$@"

# KVM when the processor offers virtualisation and /dev/kvm is ours (inside
# some VMs /dev/kvm opens but guests never start); else QEMU's own emulation.
accel=(-accel tcg)
if [ -r /dev/kvm ] && [ -w /dev/kvm ] && grep -qwE 'vmx|svm' /proc/cpuinfo; then
  accel=(-accel kvm -accel tcg) # QEMU takes the first that starts
fi
# QEMU's port with nothing plugged in, as ScanCheck.cpp expects it: these
# status lines, and all data lines high once they are switched to input.
qemu_status=0xD8 qemu_data=0xFF
# How many samples each tarvik-cli capture takes: few, so that its file
# crosses the serial console at once.
cli_samples=20000

# sigrok_check LOG NAME: reads the capture NAME.sr, which the machine printed
# in base64 between the lines "file NAME.sr:" and "end of NAME.sr", back
# with sigrok-cli and appends "PASS NAME-sigrok: ..." or "FAIL ..." to LOG:
# the thirteen lines by name, a sample rate, and QEMU's port in every sample.
sigrok_check() {
  local log=$1 name=$2 file show rate rows line columns total bad first
  file="${1%.log.txt}-$2.sr"
  sed -n "/^file $name.sr:\$/,/^end of $name.sr\$/{//!p}" "$log" | base64 -d >"$file" || {
    echo "FAIL $name-sigrok: the console's copy of $name.sr does not decode" >>"$log"
    return
  }
  if ! show=$(sigrok-cli -i "$file" --show 2>&1); then
    echo "FAIL $name-sigrok: sigrok-cli --show: $show" >>"$log"
    return
  fi
  for line in S7 S6 S5 S4 S3 D7 D6 D5 D4 D3 D2 D1 D0; do
    if ! grep -qx -- "- $line: logic" <<<"$show"; then
      echo "FAIL $name-sigrok: sigrok-cli --show lists no line $line: $show" >>"$log"
      return
    fi
  done
  rate=$(sed -n 's/^Samplerate: \([1-9][0-9]*\)$/\1/p' <<<"$show")
  if [ -z "$rate" ]; then
    echo "FAIL $name-sigrok: sigrok-cli --show gives no sample rate: $show" >>"$log"
    return
  fi
  # Each column's expected bit comes from its name in the CSV's header.
  rows=$(sigrok-cli -i "$file" -O csv 2>&1 | awk -v status=$((qemu_status)) -v data=$((qemu_data)) '
    /^; Channels/ { sub(/^[^:]*: /, ""); n = split($0, names, ", ")
      for (i = 1; i <= n; i++) {
        byte = substr(names[i], 1, 1) == "S" ? status : data
        want[i] = int(byte / 2 ^ substr(names[i], 2)) % 2
      } }
    /^[01],/ { rows++; split($0, bits, ",")
      for (i = 1; i <= n; i++) if (bits[i] != want[i]) { bad++; if (!first) first = rows; break } }
    END { printf "%d %d %d %d", n, rows, bad, first }') || true
  read -r columns total bad first <<<"$rows"
  if [ "$columns" -ne 13 ] || [ "$total" -ne "$cli_samples" ] || [ "$bad" -ne 0 ]; then
    echo "FAIL $name-sigrok: CSV of $columns lines and $total samples, $bad of them not" \
      "status $qemu_status and data $qemu_data, the first sample $first ($file)" >>"$log"
    return
  fi
  echo "PASS $name-sigrok: 13 named lines, $rate Hz, $total samples of status" \
    "$qemu_status and data $qemu_data" >>"$log"
}

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
    -append "console=ttyS0 quiet panic=-1 machine=$machine samples=$cli_samples tarvik=$tarvik cli=$cli launcher=$launcher check=$check plugins=$(dirname "$(dirname "$plugin")")" \
    -serial "file:$log" "$@" ||
    status=$?
  echo "VM $machine ran $(($(date +%s) - start)) s (wall clock, kernel $(basename "$kernel"))"

  tr -d '\r' <"$log" >"$log.txt"
  sed -n 's/^file \(.*\)\.sr:$/\1/p' "$log.txt" | while read -r name; do
    sigrok_check "$log.txt" "$name"
  done
  grep -E '^(accelerator|ports|tester|rates|PASS|FAIL)' "$log.txt" || true
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
    sed '/^file .*\.sr:$/,/^end of .*\.sr$/d' "$log.txt" |
      grep -vE '^(accelerator|ports|tester|rates|PASS|FAIL)' | tail -n 60
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
boot port278 "inpout32-capture launcher-caps launcher-win95io-capture cli-inpout32
  cli-inpout32-sigrok cli-win95io cli-win95io-sigrok" \
  -chardev null,id=printer -device isa-parallel,chardev=printer,iobase=0x278,irq=5 \
  >"$work/port278.report" 2>&1 &
boots+=($!)
boot none "inpout32-refused inpout32-node-refused launcher-caps launcher-win95io-refused" \
  >"$work/none.report" 2>&1 &
boots+=($!)
# The kernel numbers these two in the reverse order of the lines: parport0 at
# 0x378, parport1 at 0x278.
boot two "hold inpout32-parport1-capture inpout32-unknown-port launcher1-granted launcher1-caps
  launcher1-win95io-capture launcher3-granted launcher3-caps launcher3-win95io-refused
  cli1-inpout32 cli1-inpout32-sigrok cli1-win95io cli1-win95io-sigrok cli1-win95io-dash
  cli1-win95io-dash-sigrok cli1-win95io-joined cli1-win95io-joined-sigrok cli1-trigger-gives-up" \
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
