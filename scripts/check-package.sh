#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built: packed again from
# the same build it comes out byte for byte the same, it holds every file an
# installation needs, lintian --pedantic finds nothing above information,
# the desktop entry, the AppStream metainfo, the type of capture files and the
# manual page pass their validators, and the copyright names the licence in
# Debian's machine-readable format.
set -euo pipefail
cd "$(dirname "$0")/.."

debs=(build/package/tarvik_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "Expected one package in build/package, found: ${debs[*]}" >&2
  exit 1
fi
deb=${debs[0]}
multiarch=$(dpkg-architecture -a "$(dpkg-deb -f "$deb" Architecture)" -qDEB_HOST_MULTIARCH 2>/dev/null)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

echo "== Packed again from build/release"
sha256sum "$deb"
cpack --config build/release/CPackConfig.cmake -B "$work/again" >/dev/null
cmp "$deb" "$work/again/${deb##*/}" || fail "a second pack of the same build differs"

echo "== Contents of $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/contents"
for file in \
  usr/bin/tarvik \
  usr/bin/tarvik-cli \
  "usr/lib/$multiarch/tarvik/libinpout32.so" \
  "usr/lib/$multiarch/tarvik/libWIN95IO.so" \
  "usr/lib/$multiarch/tarvik/simulated/libinpout32.so" \
  "usr/lib/$multiarch/tarvik/simulated/libWIN95IO.so" \
  usr/libexec/tarvik/tarvik-launcher \
  usr/share/applications/tarvik.desktop \
  usr/share/icons/hicolor/scalable/apps/tarvik.svg \
  usr/share/icons/hicolor/48x48/apps/tarvik.png \
  usr/share/icons/hicolor/256x256/apps/tarvik.png \
  usr/share/metainfo/org.tarvik.Tarvik.metainfo.xml \
  usr/share/mime/packages/tarvik.xml \
  usr/lib/modules-load.d/tarvik.conf \
  usr/share/man/man1/tarvik.1.gz \
  usr/share/man/man1/tarvik-cli.1.gz \
  usr/share/bash-completion/completions/tarvik \
  usr/share/bash-completion/completions/tarvik-cli; do
  grep -qFx "./$file" "$work/contents" || fail "the package lacks /$file"
done
# Dependencies come from dpkg-shlibdeps; without it the package would claim none.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6.*libzip4\|libzip4.*libqt6widgets6' ||
  fail "Depends lacks the libraries the program links: $(dpkg-deb -f "$deb" Depends)"
[ "$(dpkg-deb -f "$deb" Suggests)" = "sigrok-cli, pulseview" ] ||
  fail "Suggests is '$(dpkg-deb -f "$deb" Suggests)', not the tools that open captures"

echo "== lintian --pedantic"
lintian --pedantic --fail-on error,warning,pedantic "$deb" || fail "lintian reports more than information"

dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share

echo "== desktop-file-validate"
desktop-file-validate "$share/applications/tarvik.desktop" || fail "the desktop entry is not valid"

echo "== appstreamcli validate"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "the metainfo is not valid"

echo "== copyright"
copyright=$share/doc/tarvik/copyright
if ! grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
  ! grep -qx 'License: GPL-3+' "$copyright"; then
  fail "the copyright is not in the machine-readable format with License: GPL-3+"
fi

echo "== update-mime-database"
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/tarvik.xml" "$work/mime/packages/"
# With the folder on the search path it says nothing unless a file is broken.
mime_errors=$(XDG_DATA_HOME="$work" XDG_DATA_DIRS="$work" update-mime-database "$work/mime" 2>&1)
[ -z "$mime_errors" ] || fail "update-mime-database complains:"$'\n'"$mime_errors"
grep -qx 'application/x-tarvik-capture:\*\.lgc' <(cut -d: -f2- "$work/mime/globs2") ||
  fail "*.lgc is not application/x-tarvik-capture"
grep -qx 'application/x-tarvik-capture:tarvik' "$work/mime/icons" ||
  fail "application/x-tarvik-capture has not the program's icon"

echo "== man --warnings"
for page in "$share"/man/man1/*.1.gz; do
  warnings=$(man --warnings -l -Tutf8 "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "the manual page ${page##*/} has warnings:"$'\n'"$warnings"
done

exit $failed
