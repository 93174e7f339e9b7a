#!/usr/bin/env bash
# Fetches Debian's current kernel image package, without installing it, and
# keeps its kernel and the three parallel-port modules in a cache folder.
# Prints the folder holding vmlinuz and the modules.
#   tests/vm/fetch-kernel.sh [cache-folder]
# The default cache is $XDG_CACHE_HOME/tarvik-vm (~/.cache/tarvik-vm). When
# the package cannot be had (no mirror), the newest kernel already cached is
# used; with none, the script fails.
set -euo pipefail

cache=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvik-vm}
modules=(kernel/drivers/parport/parport kernel/drivers/parport/parport_pc kernel/drivers/char/ppdev)

# The metapackage depends on the image package of the current kernel.
package=$(apt-cache depends linux-image-amd64 2>/dev/null |
  sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -n 1) || true
if [ -n "$package" ] && [ -f "$cache/$package/vmlinuz" ]; then
  echo "$cache/$package"
  exit 0
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ -n "$package" ] && (cd "$scratch" && apt-get download -q "$package" >&2); then
  dpkg -x "$scratch"/*.deb "$scratch/root"
  version=${package#linux-image-}
  tree="$scratch/root/lib/modules/$version"
  mkdir "$scratch/out"
  cp "$scratch/root/boot/vmlinuz-$version" "$scratch/out/vmlinuz"
  # busybox insmod takes plain modules only.
  for m in "${modules[@]}"; do
    if [ -f "$tree/$m.ko.xz" ]; then
      xz -dc "$tree/$m.ko.xz" >"$scratch/out/$(basename "$m").ko"
    else
      cp "$tree/$m.ko" "$scratch/out/"
    fi
  done
  mkdir -p "$cache"
  rm -rf "${cache:?}/$package"
  mv "$scratch/out" "$cache/$package"
  echo "$cache/$package"
  exit 0
fi

newest=$(printf '%s\n' "$cache"/linux-image-*/vmlinuz | sort -V | tail -n 1)
if [ -f "$newest" ]; then
  echo "Using the cached $(dirname "$newest") instead of ${package:-the current kernel}" >&2
  dirname "$newest"
  exit 0
fi
echo "No Debian kernel image package could be fetched (apt-cache names '${package:-none}')." >&2
exit 1
