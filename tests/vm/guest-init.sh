#!/bin/busybox sh
# shellcheck shell=dash disable=SC2154 # machine, samples, tarvik, cli, launcher, check, plugins: see below
# /init of the test VM. Root only prepares the machine: loads the kernel's
# parallel-port drivers, gives the /dev/parportN to the lp group and the
# launcher its capability. The checks then run as "tester", a member of lp, unless
# said otherwise, and each prints a PASS or FAIL line on the serial console.
# The kernel command line names the machine (port378, port278, none or two:
# where its printer ports are), how many samples tarvik-cli captures, and the
# build-tree files: tarvik, cli (tarvik-cli), launcher, check, plugins.
/bin/busybox mkdir -p /usr/bin /usr/sbin /sbin
/bin/busybox --install -s
mount -t devtmpfs dev /dev
exec </dev/console >/dev/console 2>&1
mount -t proc proc /proc
mount -t sysfs sys /sys
export PATH=/bin:/sbin:/usr/bin:/usr/sbin

printf 'root:x:0:0::/:/bin/sh\ntester:x:1000:1000::/tmp:/bin/sh\n' >/etc/passwd
printf 'root:x:0:\nlp:x:7:tester\ntester:x:1000:\n' >/etc/group

insmod /modules/parport.ko
insmod /modules/parport_pc.ko
insmod /modules/ppdev.ko
for device in /dev/parport*; do
  if [ -c "$device" ]; then
    chown root:lp "$device"
    chmod 660 "$device"
  fi
done
echo "accelerator: $(dmesg | grep -o 'Hypervisor detected: [A-Za-z]*' || echo 'none (TCG)')"
echo "ports: machine $machine, kernel $(grep -H . /proc/sys/dev/parport/*/base-addr 2>/dev/null |
  tr '\t\n' '  ')"
echo "tester: $(su tester -s /bin/sh -c id)"

# run NAME SECONDS COMMAND: COMMAND as tester, bounded; a check that fails
# without saying so, or hangs, is reported under NAME.
run() {
  timeout -s KILL "$2" su tester -s /bin/sh -c "$3" || echo "FAIL $1: exit status $?"
}

# capture NAME SECONDS COMMAND: tarvik-cli's capture by COMMAND as tester into
# /tmp/NAME.sr. The file follows on the console in base64, between the lines
# "file NAME.sr:" and "end of NAME.sr", for the host to read back with
# sigrok-cli once the machine has stopped (run-vm-test.sh).
capture() {
  timeout -s KILL "$2" su tester -s /bin/sh -c "$3 -o /tmp/$1.sr 2>/tmp/$1.err"
  status=$?
  if [ "$status" -ne 0 ] || [ ! -f "/tmp/$1.sr" ]; then
    echo "FAIL $1: exit status $status: $(cat "/tmp/$1.err")"
    return
  fi
  echo "PASS $1: $(wc -c <"/tmp/$1.sr") bytes; $(tr '\n' ' ' <"/tmp/$1.err")"
  echo "file $1.sr:"
  base64 "/tmp/$1.sr"
  echo "end of $1.sr"
}

# The time since boot in hundredths of a second, and such a time in seconds.
hundredths() {
  cut -d ' ' -f 1 /proc/uptime | tr -d .
}
seconds() {
  echo "$(($1 / 100)).$(($1 / 10 % 10))"
}

# The program started as a user could start it, with a style plugin of the
# user's choice injected through Qt's environment variables.
probe="QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$plugins QT_STYLE_OVERRIDE=tarvikprobe"
chown root:lp "$launcher"
chmod 750 "$launcher"
setcap cap_sys_rawio+ep "$launcher"

case "$machine" in
port378)
  run inpout32-capture 240 "$check capture inpout32 inpout32-capture"
  run win95io-refused 10 "$check refused win95io win95io-refused 0x378 tarvik-launcher"
  # Root needs no launcher: the library opens the registers itself.
  timeout -s KILL 240 "$check" capture win95io root-win95io-capture ||
    echo "FAIL root-win95io-capture: exit status $?"
  run launcher 240 "TARVIK_PROBE=launcher TARVIK_PROBE_CAPTURE=1 $probe $launcher"
  # Someone put the capability on the program itself after all.
  setcap cap_sys_rawio+ep "$tarvik"
  run program 60 "TARVIK_PROBE=program $probe $tarvik"
  setcap -r "$tarvik"
  run hold 10 "$check hold"
  run inpout32-busy 10 "$check refused inpout32 inpout32-busy 'is busy'"
  ;;
port278)
  run inpout32-capture 240 "$check capture inpout32 inpout32-capture"
  run launcher 240 "TARVIK_PROBE=launcher TARVIK_PROBE_CAPTURE=1 $probe $launcher"
  capture cli-inpout32 120 "$cli --scan --via inpout32 --samples $samples"
  capture cli-win95io 120 "$launcher --cli --scan --via win95io --samples $samples"
  ;;
none)
  run inpout32-refused 10 "$check refused inpout32 inpout32-refused 'is not there' parport_pc"
  # Where the device node does not come and go with the port.
  mknod -m 660 /dev/parport0 c 99 0
  chown root:lp /dev/parport0
  run inpout32-node-refused 10 \
    "$check refused inpout32 inpout32-node-refused 'is not there' parport_pc"
  run launcher 60 "TARVIK_PROBE=launcher \
TARVIK_PROBE_REFUSED='nothing answers at 0x378|found: none|modprobe parport_pc' $probe $launcher"
  ;;
two)
  # parport0 (0x378) stays held, so that only the second port, parport1 at
  # 0x278, can be captured.
  run hold 10 "$check hold"
  run inpout32-parport1-capture 240 \
    "$check --port parport1 capture inpout32 inpout32-parport1-capture"
  known='parport0 at 0x378, parport1 at 0x278'
  run inpout32-unknown-port 10 "$check --port parport3 refused inpout32 inpout32-unknown-port \
'the kernel has no parallel port parport3' '$known'"
  run launcher1 240 "TARVIK_PROBE=launcher1 TARVIK_PROBE_PORT=parport1 TARVIK_PROBE_GRANTED=0x278 \
TARVIK_PROBE_CAPTURE=1 $probe $launcher --port parport1"
  run launcher3 60 "TARVIK_PROBE=launcher3 TARVIK_PROBE_PORT=parport3 TARVIK_PROBE_GRANTED=none \
TARVIK_PROBE_REFUSED='the kernel has no parallel port parport3|$known' $probe $launcher --port=parport3"
  capture cli1-inpout32 120 "$cli --port parport1 --scan --via inpout32 --samples $samples"
  capture cli1-win95io 120 "$launcher --cli --port parport1 --scan --via win95io --samples $samples"
  # The launcher finds the port in every spelling that tarvik-cli takes.
  capture cli1-win95io-dash 120 "$launcher --cli --scan --via win95io -port parport1 --samples $samples"
  capture cli1-win95io-joined 120 "$launcher --cli --scan --via win95io --port=parport1 --samples $samples"
  # The samples a second of the status lines alone against all lines, where
  # every read is an emulated bus access: reported, not judged.
  for lines in S7,S6,S5,S4,S3 S7,S6,S5,S4,S3,D7,D6,D5,D4,D3,D2,D1,D0; do
    echo "rates -C $lines: $(su tester -s /bin/sh -c "$cli --scan --port parport1 --samples 200000 \
-C $lines --show 2>&1" | grep -o 'samples in [0-9.]* s: [0-9.]* [kM]*S/s')"
  done
  # S6 never changes on QEMU's port. The capture, and its temporary file,
  # would go into a folder of their own, which must stay empty. The wait is
  # timed apart from starting the program, which is slow under emulation.
  mkdir -m 777 /tmp/never
  began=$(hundredths)
  su tester -s /bin/sh -c "$cli --version >/dev/null"
  start=$(($(hundredths) - began))
  began=$(hundredths)
  timeout -s KILL 20 su tester -s /bin/sh -c "TMPDIR=/tmp/never $cli --scan --port parport1 \
-t S6=r --wait 1 -o /tmp/never/never.sr 2>/tmp/never.err"
  status=$?
  took=$(($(hundredths) - began))
  lines=$(wc -l </tmp/never.err)
  left=$(find /tmp/never -mindepth 1 | wc -l)
  detail="exit status $status after $(seconds "$took") s (starting takes $(seconds "$start") s), \
$lines line(s), $left file(s) left: $(cat /tmp/never.err)"
  if [ "$status" -eq 1 ] && [ "$took" -ge 100 ] && [ $((took - start)) -lt 200 ] &&
    [ "$lines" -eq 1 ] && [ "$left" -eq 0 ]; then
    echo "PASS cli1-trigger-gives-up: $detail"
  else
    echo "FAIL cli1-trigger-gives-up: $detail"
  fi
  ;;
*)
  echo "FAIL machine: no checks for '$machine'"
  ;;
esac

echo "tarvik-vm: done"
poweroff -f
