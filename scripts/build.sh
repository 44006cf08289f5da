#!/usr/bin/env bash
# Configures and builds one or more of the project's builds (the presets of
# CMakePresets.json):
#   native   - the module, host and tests for Linux (gcc)        -> build/native
#   sanitize - the same with AddressSanitizer and UBSan           -> build/sanitize
#   scalar   - module, host and frame check without SIMD          -> build/scalar
#   windows  - the real Quorvel64.AEX and programs, MinGW-w64     -> build/windows
#   fuzz     - the libFuzzer targets only (clang)                  -> build/fuzz
# With no argument it builds native and windows.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
# ccache, when present, lets several checkouts of the tree share compiled objects.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$root"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Each build is a preset of CMakePresets.json, configured into build/<preset>.
configure_and_build() {
  local preset=$1
  (cd "$root" && cmake --preset "$preset" "${launcher[@]}" >/dev/null &&
     cmake --build --preset "$preset" -j "$jobs")
}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(native windows)
for t in "${targets[@]}"; do
  case "$t" in
    native | sanitize | scalar | windows | fuzz) configure_and_build "$t" ;;
    *) echo "unknown build: $t (native, sanitize, scalar, windows, fuzz)" >&2; exit 2 ;;
  esac
done
