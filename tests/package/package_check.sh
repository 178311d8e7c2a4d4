#!/usr/bin/env bash
# Builds the .deb from this build's install rules (no second build: cpack
# installs the binaries already built, under /usr as the package does) and
# checks what it ships: the files the hosts look for, the dependencies that
# shlibdeps finds, the validity of the settings page and .desktop files, and
# lintian's verdict: no error and no warning.
# Usage: package_check.sh BUILD_DIR [PACKAGE...], the packages being more that
# Depends must name (the picture formats' libraries). Exit 77 (skipped) without the tools.
set -u
build=$1
shift
for tool in cpack dpkg-deb dpkg-shlibdeps file xmllint desktop-file-validate lintian; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" -D CPACK_PACKAGING_INSTALL_PREFIX=/usr \
  >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/orvanne_*.deb)
[ -f "${debs[0]}" ] || { cat "$work/cpack.log"; echo "FAIL: no .deb"; exit 1; }
deb=${debs[0]}

files=$(dpkg-deb -c "$deb") || fail "dpkg-deb -c"
for want in ./usr/bin/orvanne './usr/libexec/xscreensaver/orvanne -> ../../bin/orvanne' \
            ./usr/share/xscreensaver/config/orvanne.xml ./usr/share/applications/screensavers/orvanne.desktop \
            ./usr/share/applications/orvanne-settings.desktop ./usr/share/man/man1/orvanne.1.gz \
            ./usr/share/doc/orvanne/README.md ./usr/share/doc/orvanne/copyright \
            ./usr/share/doc/orvanne/changelog.Debian.gz; do
  grep -qF -- " $want" <<<"$files" || fail "missing $want"
done
grep -q ' \./usr/local/' <<<"$files" && fail "files under usr/local"

depends=$(dpkg-deb -f "$deb" Depends) || fail "dpkg-deb -f"
echo "Depends: $depends"
for want in libqt6widgets6 libjpeg62-turbo zlib1g fonts-ipafont-gothic libc6 "$@"; do
  grep -qE "(^|, )$want( |,|$)" <<<"$depends" || fail "Depends lacks $want"
done

dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
xmllint --noout "$work/root/usr/share/xscreensaver/config/orvanne.xml" || fail "orvanne.xml is not well-formed"
for d in "$work/root/usr/share/applications/screensavers/orvanne.desktop" \
         "$work/root/usr/share/applications/orvanne-settings.desktop"; do
  out=$(desktop-file-validate "$d" 2>&1) || fail "$d: $out"
  [ -z "$out" ] || echo "$out"
done
# Info and pedantic tags are advice; errors and warnings fail.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
  fail "lintian: $(cat "$work/lintian.log")"
grep -E '^[EW]: ' "$work/lintian.log" && fail "lintian reports the tags above"

[ $status -eq 0 ] && echo "ok: $(basename "$deb")"
exit $status
