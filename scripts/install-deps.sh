#!/usr/bin/env bash
# Installs the Debian 12 packages Tarvik needs, where they are missing. Uses
# sudo when not run as root.
#   scripts/install-deps.sh            to build and run the program
#   scripts/install-deps.sh --package  and to build its Debian package
#   scripts/install-deps.sh --test     and to build and run the tests, the
#                                      benchmarks, the fuzzer and the checks
#                                      of the package; this also fetches the
#                                      kernel the VM test boots
set -euo pipefail

program=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libglx-dev
  libzip-dev zlib1g-dev
  fonts-dejavu-core
)
package=(dpkg-dev file)
test=(
  libbenchmark-dev xvfb
  clang libclang-rt-14-dev clang-format
  sigrok-cli
  # The window's captions are checked in Liberation Sans as well as DejaVu Sans.
  fonts-liberation2
  lintian desktop-file-utils appstream man-db shared-mime-info
  # The completion files are checked with the helpers they are loaded with.
  bash-completion
  # The install test: a Debian 12 chroot to install the package into.
  debootstrap
  # The VM test (tests/vm): QEMU, the guest's shell and tools, setcap.
  qemu-system-x86 busybox-static libcap2-bin cpio xz-utils
)

packages=("${program[@]}")
case "${1:-}" in
"") ;;
--package) packages+=("${package[@]}") ;;
--test) packages+=("${package[@]}" "${test[@]}") ;;
*)
  echo "usage: $0 [--package | --test]" >&2
  exit 2
  ;;
esac

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
if [ "${1:-}" = --test ]; then
  fetch_kernel="$(dirname "$0")/../tests/vm/fetch-kernel.sh"
  if ! "$fetch_kernel" >/dev/null; then
    "${as_root[@]}" apt-get update -qq || true
    "$fetch_kernel" >/dev/null || echo "No kernel for the VM test: it will be skipped." >&2
  fi
fi
