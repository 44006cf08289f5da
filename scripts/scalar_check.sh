#!/usr/bin/env bash
# The build without SIMD (QUORVEL_SIMD=OFF, build/scalar): no engine object holds AVX code
# (no ymm register in its disassembly, where the native build's objects have some), and its
# frames are the native build's, channel for channel.
#   scripts/scalar_check.sh [NATIVE_BUILD_DIR]      (default build/native, built already)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native=${1:-$root/build/native}
scalar=$root/build/scalar
timeout -k 10 1800 bash "$root/scripts/build.sh" scalar >/dev/null

ymm_count() {
  local objs
  objs=$(find "$1/CMakeFiles/quorvel_objs.dir/engine" -name '*.o')
  [ -n "$objs" ] || { echo "no engine objects in $1" >&2; return 1; }
  # shellcheck disable=SC2086
  timeout 300 objdump -d $objs | grep -c '%ymm' || true
}
native_ymm=$(ymm_count "$native")
scalar_ymm=$(ymm_count "$scalar")
if [ "$native_ymm" -eq 0 ]; then
  echo "the native engine objects show no ymm register: the check cannot see AVX code" >&2
  exit 1
fi
if [ "$scalar_ymm" -ne 0 ]; then
  echo "AVX code in the engine built without SIMD ($scalar_ymm instructions with ymm)" >&2
  exit 1
fi
echo "no AVX code in the engine without SIMD (native: $native_ymm instructions with ymm)"

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
bash "$root/scripts/frames.sh" render "$native" "$frames/native"
bash "$root/scripts/frames.sh" render "$scalar" "$frames/scalar"
if ! bash "$root/scripts/frames.sh" compare "$frames/native" "$frames/scalar" 0 "$native" \
    >"$frames/compare.txt"; then
  grep -v 'largest difference 0,' "$frames/compare.txt" >&2
  echo "the build without SIMD draws other frames than the native build" >&2
  exit 1
fi
echo "the build without SIMD draws the native build's frames"
