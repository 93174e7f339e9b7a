#!/bin/busybox sh
# shellcheck shell=dash disable=SC2154 # tarvik, launcher, check, plugins: see below
# /init of the test VM. Root only prepares the machine: loads the kernel's
# parallel-port drivers, gives /dev/parport0 to the lp group and the launcher
# its capability. Every check then runs as "tester", a member of lp, and
# prints a PASS or FAIL line on the serial console. The kernel command line
# names the build-tree files: tarvik, launcher, check, plugins.
/bin/busybox mkdir -p /usr/bin /usr/sbin /sbin
/bin/busybox --install -s
mount -t devtmpfs dev /dev
exec </dev/console >/dev/console 2>&1
mount -t proc proc /proc
mount -t sysfs sys /sys
export PATH=/bin:/sbin:/usr/bin:/usr/sbin

printf 'root:x:0:0::/:/bin/sh\ntester:x:1000:1000::/tmp:/bin/sh\n' >/etc/passwd
printf 'root:x:0:\nlp:x:7:tester\ntester:x:1000:\n' >/etc/group

insmod /modules/parport.ko && insmod /modules/parport_pc.ko && insmod /modules/ppdev.ko
[ -c /dev/parport0 ] || mknod /dev/parport0 c 99 0
chown root:lp /dev/parport0
chmod 660 /dev/parport0
echo "accelerator: $(dmesg | grep -o 'Hypervisor detected: [A-Za-z]*' || echo 'none (TCG)')"
echo "tester: $(su tester -s /bin/sh -c id)"

# run NAME SECONDS COMMAND: COMMAND as tester, bounded; a check that fails
# without saying so, or hangs, is reported under NAME.
run() {
  timeout -s KILL "$2" su tester -s /bin/sh -c "$3" || echo "FAIL $1: exit status $?"
}

run inpout32-capture 240 "$check capture inpout32"
run win95io-refused 60 "$check refused win95io"

# The program started as a user could start it, with a style plugin of the
# user's choice injected through Qt's environment variables.
probe="QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$plugins QT_STYLE_OVERRIDE=tarvikprobe"
chown root:lp "$launcher"
chmod 750 "$launcher"
setcap cap_sys_rawio+ep "$launcher"
run launcher 240 "TARVIK_PROBE=launcher TARVIK_PROBE_CAPTURE=1 $probe $launcher"
# Someone put the capability on the program itself after all.
setcap cap_sys_rawio+ep "$tarvik"
run program 60 "TARVIK_PROBE=program $probe $tarvik"
setcap -r "$tarvik"

run hold 10 "$check hold"
run inpout32-busy 10 "$check busy"

echo "tarvik-vm: done"
poweroff -f
