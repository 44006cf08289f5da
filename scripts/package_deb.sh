#!/usr/bin/env bash
# Builds the native programs and writes dist/quorvel_<version>_amd64.deb:
#   /usr/bin/quorvel                       the renderer, its manual page in section 1
#   /usr/lib/quorvel/                      the effect module and its pendant model (the
#                                          renderer's default module when installed)
#   /usr/lib/frei0r-1/quorvel.so           the frei0r filter, with the pendant model beside
#                                          it, where ffmpeg, MLT and GStreamer look
#   /usr/share/doc/quorvel/                the help page Glissel/ (the module opens it beside
#                                          itself, through a link), copyright, changelog
# Depends comes from the programs' libraries (dpkg-shlibdeps). The package is then read
# back and checked, and lintian must report no error.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/build.sh" native >/dev/null
build="$root/build/native"
version=$(cat "$build/version.txt")
deb="$root/dist/quorvel_${version}_amd64.deb"
templates="$root/shell/resources/package/debian"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage="$work/stage"

# The files, stripped of what a debugger alone needs.
install -d "$stage/usr/bin" "$stage/usr/lib/quorvel" "$stage/usr/lib/frei0r-1/Geometry/Toys" \
  "$stage/usr/share/doc/quorvel" "$stage/usr/share/man/man1"
install -m 0755 "$build/quorvel" "$stage/usr/bin/quorvel"
install -m 0644 "$build/plugin/Quorvel64.AEX" "$stage/usr/lib/quorvel/"
install -m 0644 "$build/frei0r/quorvel.so" "$stage/usr/lib/frei0r-1/"
strip --remove-section=.comment --remove-section=.note "$stage/usr/bin/quorvel"
strip --strip-unneeded --remove-section=.comment --remove-section=.note \
  "$stage/usr/lib/quorvel/Quorvel64.AEX" "$stage/usr/lib/frei0r-1/quorvel.so"
cp -r "$root/shell/resources/plugin/Geometry" "$stage/usr/lib/quorvel/"
cp -r "$root/shell/resources/plugin/Glissel" "$stage/usr/share/doc/quorvel/"
ln -s ../../share/doc/quorvel/Glissel "$stage/usr/lib/quorvel/Glissel"
ln -s ../../../quorvel/Geometry/Toys/Toy01.3dd "$stage/usr/lib/frei0r-1/Geometry/Toys/Toy01.3dd"
install -m 0644 "$templates/copyright" "$stage/usr/share/doc/quorvel/copyright"
# The changelog's date is the last commit's, so that the same tree makes the same package.
date=$(date -R -d "@$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)")
sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$date/" "$templates/changelog" |
  gzip -9n >"$stage/usr/share/doc/quorvel/changelog.gz"
gzip -9n <"$root/host/cli/quorvel.1" >"$stage/usr/share/man/man1/quorvel.1.gz"
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f ! -path '*/usr/bin/*' -exec chmod 0644 {} +

# The control file: Depends from the libraries the three ELF files load.
mkdir -p "$work/debian" "$stage/DEBIAN"
printf 'Source: quorvel\n\nPackage: quorvel\nArchitecture: amd64\n' >"$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O -e "$stage/usr/bin/quorvel" \
  -e "$stage/usr/lib/quorvel/Quorvel64.AEX" -e "$stage/usr/lib/frei0r-1/quorvel.so" 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "package_deb.sh: no dependencies found" >&2; exit 1; }
size=$(du -sk --apparent-size "$stage/usr" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$templates/control.in" >"$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -printf '%P\n' | sort | sed 's|^|usr/|' | xargs md5sum) \
  >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
mkdir -p "$root/dist"
rm -f "$deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null

# Read it back: the files a user needs, owned by root, nothing outside /usr.
fail() { echo "package_deb.sh: $deb: $*" >&2; exit 1; }
listing=$(dpkg-deb -c "$deb")
for f in usr/bin/quorvel usr/lib/quorvel/Quorvel64.AEX usr/lib/quorvel/Geometry/Toys/Toy01.3dd \
         usr/lib/frei0r-1/quorvel.so usr/lib/frei0r-1/Geometry/Toys/Toy01.3dd \
         usr/share/doc/quorvel/Glissel/glissel.html usr/share/doc/quorvel/copyright \
         usr/share/man/man1/quorvel.1.gz; do
  grep -q " \./$f\( \|$\)" <<<"$listing" || fail "$f is missing"
done
grep -v ' root/root ' <<<"$listing" && fail "files not owned by root"
grep -v ' \./usr/\| \./$' <<<"$listing" && fail "files outside /usr"
[ "$(dpkg-deb -f "$deb" Recommends)" = ffmpeg ] || fail "ffmpeg is not recommended"
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
  sed 's/^/  lintian: /' "$work/lintian.txt"
  grep -q '^E: ' "$work/lintian.txt" && fail "lintian reports errors"
fi
echo "$deb ($(du -k "$deb" | cut -f1) KiB, $size KiB installed)"
