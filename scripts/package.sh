#!/usr/bin/env bash
# Builds the Windows module and writes dist/Quorvel-<version>-win64.zip: the installable
# plug-in folder "Quorvel/" (Quorvel64.AEX, Geometry/Toys/Toy01.3dd and the help page
# folder Glissel/ with whatever it holds) and INSTALL.txt. The folder is the Windows
# build's install tree (component "plugin"). The archive is then read back and checked:
# the required files, every file of the plug-in resources, and the module byte for byte.
# Then the Debian package of the native build beside it (scripts/package_deb.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/build.sh" windows >/dev/null
build="$root/build/windows"
version=$(cat "$build/version.txt")
name="Quorvel-$version-win64"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The plug-in folder as cmake installs it, and the install text.
cmake --install "$build" --component plugin --prefix "$work/stage" >/dev/null
sed "s/@VERSION@/$version/" "$root/shell/resources/package/INSTALL.txt" | sed 's/$/\r/' \
  >"$work/stage/INSTALL.txt"
mkdir -p "$root/dist"
zip="$root/dist/$name.zip"
rm -f "$zip"
(cd "$work/stage" && cmake -E tar cf "$zip" --format=zip INSTALL.txt Quorvel)

# Read it back.
fail() { echo "package.sh: $zip: $*" >&2; exit 1; }
mkdir "$work/check"
(cd "$work/check" && cmake -E tar xf "$zip")
for f in INSTALL.txt Quorvel/Quorvel64.AEX Quorvel/Geometry/Toys/Toy01.3dd \
         Quorvel/Glissel/glissel.html; do
  [ -s "$work/check/$f" ] || fail "$f is missing or empty"
done
(cd "$root/shell/resources/plugin" && find . -type f) | while read -r f; do
  cmp -s "$root/shell/resources/plugin/$f" "$work/check/Quorvel/$f" || fail "Quorvel/${f#./} differs or is missing"
done
cmp -s "$build/plugin/Quorvel64.AEX" "$work/check/Quorvel/Quorvel64.AEX" || fail "Quorvel64.AEX is not the built module"
[ "$(head -c 2 "$work/check/Quorvel/Quorvel64.AEX")" = "MZ" ] || fail "Quorvel64.AEX is not a Windows module"
extra=$(cd "$work/check" && find . -type f | sed 's|^\./||' | grep -v -e '^INSTALL.txt$' -e '^Quorvel/' || true)
[ -z "$extra" ] || fail "unexpected files: $extra"

echo "$zip"
(cd "$work/check" && find . -type f | sed 's|^\./|  |' | sort)

# The Debian package of the native programs and the frei0r filter, beside the archive.
bash "$root/scripts/package_deb.sh"
