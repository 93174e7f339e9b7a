#!/usr/bin/env bash
# Builds the test VM's initramfs: busybox, the kernel modules, the init script
# and the given files, each at its own absolute path together with the shared
# libraries it loads, so that build-tree paths compiled into the program hold
# inside the VM too. A symbolic link to a folder stays a link (the programs'
# RUNPATH reaches the port libraries through one); its target must be given
# too.
#   tests/vm/build-initramfs.sh OUTPUT.cpio MODULE-FOLDER INIT-SCRIPT FILE...
set -euo pipefail

output=$1 modules=$2 init=$3
shift 3

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

mkdir -p "$tree"/{bin,dev,proc,sys,tmp,etc,modules}
chmod 755 "$tree"
chmod 1777 "$tree/tmp"
cp /bin/busybox "$tree/bin/busybox"
cp "$init" "$tree/init"
chmod 755 "$tree/init"
cp "$modules"/*.ko "$tree/modules/"

# Copies a file to the same path in the tree, following links, without debug
# information, which only makes the image bigger.
place() {
  [ -e "$tree$1" ] && return
  mkdir -p "$tree$(dirname "$1")"
  cp -L "$1" "$tree$1"
  strip --strip-debug "$tree$1" 2>/dev/null || true
}

for file in "$@"; do
  if [ -L "$file" ] && [ -d "$file" ]; then
    mkdir -p "$tree$(dirname "$file")"
    cp -P "$file" "$tree$file"
    continue
  fi
  place "$file"
  # ldd names each library as "name => /path (address)", the loader as "/path (address)".
  for library in $(ldd "$file" | sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p; s/^\s*\(\/[^ ]*\) .*/\1/p'); do
    place "$library"
  done
done

(cd "$tree" && find . | cpio -o -H newc -R 0:0 --quiet) >"$output"
