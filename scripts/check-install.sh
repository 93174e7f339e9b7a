#!/usr/bin/env bash
# Installs the Debian package that scripts/package.sh built into a throwaway
# Debian 12 minbase chroot, as an administrator would, and checks what the
# maintainer scripts do there:
#   - on a filesystem without extended attributes (ramfs), where setcap fails,
#     and with ppdev failing to load, the installation still succeeds and
#     leaves the package configured;
#   - an administrator's statoverride on the launcher, set before installing,
#     survives installation, removal and purge;
#   - on a filesystem with extended attributes the launcher gets its
#     capability;
#   - the package's own statoverride survives an upgrade (the same version
#     unpacked again), and removal then purge leave nothing of the package
#     behind.
# The chroot lives in memory and goes when the script ends. Its base system
# comes from debootstrap once and is kept, with the packages apt downloads, in
# ~/.cache/tarvik-chroot; delete that folder to start afresh. Needs root (sudo
# is used otherwise) and the Debian mirror the host's apt uses.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=HOME,XDG_CACHE_HOME "$0" "$@"
fi

debs=(build/package/tarvik_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "Expected one package in build/package, found: ${debs[*]}" >&2
  exit 1
fi
deb=${debs[0]}
launcher=/usr/libexec/tarvik/tarvik-launcher
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tarvik-chroot
base=$cache/bookworm-minbase.tar.gz

# The chroot uses the Debian archives the host's apt uses (mirror, updates,
# security), found by their bookworm suites so that other repositories the
# host may have stay out.
sources=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
  awk '$2 ~ /^bookworm(-[a-z]+)?$/' | sort -u)
mirror=$(awk '$2 == "bookworm" { print $1; exit }' <<<"$sources")
if [ -z "$mirror" ]; then
  echo "The host's apt sources name no Debian 12 (bookworm) archive." >&2
  exit 1
fi

if [ ! -f "$base" ]; then
  echo "== Making the Debian 12 minbase system once: $base"
  mkdir -p "$cache"
  bootstrap=$(mktemp -d "$cache/bootstrap.XXXXXX")
  if ! debootstrap --variant=minbase bookworm "$bootstrap" "$mirror" >"$cache/debootstrap.log" 2>&1; then
    tail -20 "$cache/debootstrap.log" >&2
    rm -rf "$bootstrap"
    exit 1
  fi
  chmod 755 "$bootstrap"
  tar -C "$bootstrap" -czf "$base.part" .
  rm -rf "$bootstrap"
  mv "$base.part" "$base"
fi

root=$(mktemp -d /tmp/tarvik-chroot.XXXXXX)
cleanup() {
  for mount in "$root/usr/libexec/tarvik" "$root/var/cache/apt/archives" "$root/proc" "$root"; do
    if mountpoint -q "$mount"; then
      umount "$mount" || umount -l "$mount"
    fi
  done
  rmdir "$root"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
# ramfs keeps no extended attributes, so setcap fails on it as it does on some
# network and overlay filesystems.
mount -t ramfs -o mode=0755 tarvik-chroot "$root"
tar -C "$root" -xzf "$base"
mount -t proc proc "$root/proc"
mkdir -p "$cache/archives/partial"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
cp /etc/resolv.conf "$root/etc/resolv.conf"
awk '{ components[$1 " " $2] = components[$1 " " $2] " " $3 }
     END { for (s in components) print "deb " s components[s] }' <<<"$sources" >"$root/etc/apt/sources.list"
# Nothing in the chroot starts a service.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
cp "$deb" "$root/tmp/"
package=/tmp/$(basename "$deb")

failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}
apt_get() {
  in_root apt-get -y -q -o Dpkg::Use-Pty=0 --no-install-recommends "$@" >"$root/tmp/apt.log" 2>&1 || {
    cat "$root/tmp/apt.log" >&2
    return 1
  }
}
status() { in_root dpkg-query -W -f='${Status}' tarvik 2>/dev/null || true; }
override() { in_root dpkg-statoverride --list "$launcher" || true; }
owner() { in_root stat -c '%U %G %a' "$launcher"; }
capability() { in_root getcap "$launcher"; }
# Everything on the chroot's own filesystem but logs, caches and apt's lists,
# with owner and mode, and dpkg's view of packages and overrides.
snapshot() {
  in_root find / -xdev \( -path /tmp -o -path /var/log -o -path /var/cache -o -path /var/lib/apt \
    -o -path '/var/lib/dpkg/*-old' \) -prune -o -printf '%p %u %g %m\n' | sort
  in_root dpkg-query -W -f='${Package} ${Status}\n'
  in_root dpkg-statoverride --list || true
}

echo "== apt-get update in the chroot"
apt_get update

echo "== Install with an administrator's statoverride, on a filesystem where setcap fails"
in_root dpkg-statoverride --add root root 0700 "$launcher"
# As if systemd ran but ppdev could not be loaded (in a container, say); the
# real modprobe would load it into this machine's kernel. apt gives dpkg a
# PATH of its own, which has to name the folder.
mkdir -p "$root/run/systemd/system"
printf '#!/bin/sh\necho "modprobe: ERROR: could not insert '"'"'ppdev'"'"': Operation not permitted" >&2\nexit 1\n' \
  >"$root/usr/local/sbin/modprobe"
chmod 755 "$root/usr/local/sbin/modprobe"
if apt_get -o DPkg::Path=/usr/local/sbin:/usr/sbin:/usr/bin:/sbin:/bin install "$package"; then
  # What the postinst said, for the log.
  awk '/^(Setting up|Processing)/ { said = /^Setting up tarvik / ; next } said' "$root/tmp/apt.log"
  grep -q "^tarvik: warning: could not give the launcher the capability" "$root/tmp/apt.log" ||
    fail "the postinst did not warn that the capability could not be set"
  grep -q "^tarvik: warning: could not load ppdev" "$root/tmp/apt.log" ||
    fail "the postinst did not warn that ppdev could not be loaded"
else
  fail "apt-get install failed where setcap cannot set a capability"
fi
[ "$(status)" = "install ok installed" ] || fail "after install, tarvik is '$(status)'"
[ -z "$(capability)" ] || fail "the launcher has a capability on ramfs: $(capability)"
[ "$(owner)" = "root root 700" ] || fail "the administrator's override was not applied: $(owner)"
apt_get remove tarvik || fail "apt-get remove failed"
[ "$(override)" = "root root 700 $launcher" ] || fail "after remove, the override is '$(override)'"
apt_get purge tarvik || fail "apt-get purge failed"
[ "$(override)" = "root root 700 $launcher" ] || fail "after purge, the override is '$(override)'"
[ -z "$(override)" ] || in_root dpkg-statoverride --remove "$launcher"
rm -r "$root/run/systemd" "$root/usr/local/sbin/modprobe"

echo "== Install where the launcher's filesystem keeps extended attributes"
mkdir -p "$root/usr/libexec/tarvik"
mount -t tmpfs -o mode=0755 tarvik-launcher "$root/usr/libexec/tarvik"
if apt_get install "$package"; then
  ! grep -q "tarvik: warning" "$root/tmp/apt.log" || fail "the postinst warned: $(grep 'tarvik: warning' "$root/tmp/apt.log")"
  [ "$(capability)" = "$launcher cap_sys_rawio=ep" ] || fail "the launcher's capability is '$(capability)'"
  [ "$(owner)" = "root lp 750" ] || fail "the launcher belongs to $(owner), not root lp 750"
else
  fail "apt-get install failed"
fi
# dpkg cannot delete the mount point; it is removed below.
apt_get purge tarvik || fail "apt-get purge failed"
umount "$root/usr/libexec/tarvik"
rmdir "$root/usr/libexec/tarvik"

echo "== Install, upgrade, remove and purge"
snapshot >"$root/tmp/before"
apt_get install "$package" || fail "apt-get install failed"
[ "$(override)" = "root lp 750 $launcher" ] || fail "after install, the override is '$(override)'"
# Unpacked again without being configured, as an upgrade is half-way: the
# postinst, which would add a lost override again, has not run yet.
in_root dpkg --unpack "$package" >"$root/tmp/apt.log" 2>&1 || fail "dpkg --unpack failed: $(cat "$root/tmp/apt.log")"
[ "$(override)" = "root lp 750 $launcher" ] || fail "during an upgrade, the override is '$(override)'"
[ "$(owner)" = "root lp 750" ] || fail "during an upgrade, the launcher belongs to $(owner)"
in_root dpkg --configure tarvik >"$root/tmp/apt.log" 2>&1 || fail "dpkg --configure failed: $(cat "$root/tmp/apt.log")"
apt_get remove tarvik || fail "apt-get remove failed"
[ -z "$(override)" ] || fail "after remove, the package's override is still there: $(override)"
[ ! -e "$root$launcher" ] || fail "after remove, the launcher is still there"
apt_get purge tarvik || fail "apt-get purge failed"
snapshot >"$root/tmp/after"
diff -u "$root/tmp/before" "$root/tmp/after" ||
  fail "install, remove and purge left the changes above"

exit $failed
