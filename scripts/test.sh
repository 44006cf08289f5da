#!/usr/bin/env bash
# Installs what the project needs, builds the native, sanitizer and Windows builds and runs
# every test: natively, under AddressSanitizer/UBSan, and the Windows programs under Wine;
# checks that the builds and the frei0r filter draw the same pixels, and that the build
# without SIMD has no AVX code and draws the native frames; then builds the Windows
# and Debian packages and checks what they hold, installs the Debian package, uses it and
# removes it, and renders a sequence on a one-node Slurm.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" native sanitize windows
# Start Wine's prefix once, before the timed tests.
bash "$root/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
status=0
for b in native sanitize windows; do
  echo "== tests: $b"
  (cd "$root" && ctest --preset "$b" -j "$(nproc)") || status=1
done
echo "== same pixels from every build"
bash "$root/scripts/same_pixels.sh" || status=1
echo "== the build without SIMD"
timeout -k 10 2400 bash "$root/scripts/scalar_check.sh" "$root/build/native" || status=1
echo "== package"
bash "$root/scripts/package.sh" || status=1
echo "== package installed and removed"
deb="$root/dist/quorvel_$(cat "$root/build/native/version.txt")_amd64.deb"
timeout -k 10 900 bash "$root/tests/package/installed_test.sh" "$root/build/native" "$deb" || status=1
echo "== render farm: Slurm"
timeout -k 10 600 bash "$root/tests/farm/slurm_test.sh" "$root/build/native" || status=1
exit $status
