#!/usr/bin/env bash
# The Debian package as a user meets it: installed with dpkg, ffmpeg, melt and GStreamer
# find the filter with no path set and draw the red ball (the frei0r host tests with
# QUORVEL_TEST_INSTALLED=1), `quorvel` from PATH renders with its installed module the very
# frame the build renders, and once purged nothing of the package is left on the disk.
#   tests/package/installed_test.sh BUILD_DIR PACKAGE.deb     (as root, as CI runs it)
set -euo pipefail
build=$(cd "$1" && pwd)
deb=$2
work="$build/installed"
rm -rf "$work"
mkdir -p "$work"
fail() { echo "installed_test: $*" >&2; exit 1; }
files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$')
had_frei0r_folder=$([ -d /usr/lib/frei0r-1 ] && echo yes || true)
trap 'timeout -k 5 120 dpkg --purge quorvel >/dev/null 2>&1 || true' EXIT
timeout -k 5 120 dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i failed"; }

# The hosts, with no path pointing anywhere: the filter is found in /usr/lib/frei0r-1.
(cd "$work" && env -u FREI0R_PATH -u MLT_FREI0R_PLUGIN_PATH QUORVEL_TEST_INSTALLED=1 \
  timeout -k 5 600 "$build/tests/frei0r/frei0r_host_tests" --gtest_brief=1) ||
  fail "the hosts do not draw the ball with the installed filter"

# The renderer from PATH, with its module from /usr/lib/quorvel.
[ "$(command -v quorvel)" = /usr/bin/quorvel ] || fail "quorvel is not /usr/bin/quorvel"
(cd "$work" && timeout -k 5 120 quorvel render --size 320x240 --output installed.png >/dev/null &&
  timeout -k 5 120 "$build/quorvel" render --size 320x240 --output built.png >/dev/null) ||
  fail "quorvel render failed"
cmp -s "$work/installed.png" "$work/built.png" || fail "the installed quorvel renders another frame"
timeout -k 5 60 man -w quorvel >/dev/null || fail "no manual page"

# Purged: the package unknown, every one of its files and folders gone.
timeout -k 5 120 dpkg --purge quorvel >"$work/dpkg.log" 2>&1 || fail "dpkg --purge failed"
trap - EXIT
dpkg-query -W quorvel >/dev/null 2>&1 && fail "dpkg still knows quorvel"
left=""
for f in $files /usr/lib/quorvel /usr/share/doc/quorvel /usr/lib/frei0r-1/Geometry; do
  [ -e "$f" ] || [ -L "$f" ] && left="$left $f"
done
[ -n "$had_frei0r_folder" ] || [ ! -e /usr/lib/frei0r-1 ] || left="$left /usr/lib/frei0r-1"
[ -z "$left" ] || fail "left behind:$left"
echo "installed_test: installed, found by ffmpeg, melt and GStreamer, run from PATH, purged clean"
