#!/usr/bin/env bash
# Installs the Debian 12 packages Tarvik needs to build, run and test, where
# they are missing, and fetches the kernel the VM test boots. Uses sudo when
# not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libglx-dev
  libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  fonts-dejavu-core
  sigrok-cli
  # The VM test (tests/vm): QEMU, the guest's shell and tools, setcap.
  qemu-system-x86 busybox-static libcap2-bin cpio xz-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian's current kernel, unpacked into a cache and never installed; package
# lists that name a kernel the mirror no longer has are renewed once. Without
# it the VM test is skipped (and fails under CI).
fetch_kernel="$(dirname "$0")/../tests/vm/fetch-kernel.sh"
if ! "$fetch_kernel" >/dev/null; then
  "${as_root[@]}" apt-get update -qq || true
  "$fetch_kernel" >/dev/null || echo "No kernel for the VM test: it will be skipped." >&2
fi
