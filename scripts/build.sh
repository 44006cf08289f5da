#!/usr/bin/env bash
# Configures and builds one or more of the project's builds:
#   native   - the module, host and tests for Linux (gcc)        -> build/native
#   sanitize - the same with AddressSanitizer and UBSan           -> build/sanitize
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
configure_and_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$root/build/$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@" >/dev/null
  cmake --build "$root/build/$dir" -j "$jobs"
}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(native windows)
for t in "${targets[@]}"; do
  case "$t" in
    native) configure_and_build native -DQUORVEL_BENCH=ON ;;
    sanitize) configure_and_build sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_SANITIZE=ON ;;
    windows) configure_and_build windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" ;;
    fuzz)
      CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_FUZZ=ON >/dev/null
      cmake --build "$root/build/fuzz" -j "$jobs" --target model_file_fuzz ;;
    *) echo "unknown build: $t (native, sanitize, windows, fuzz)" >&2; exit 2 ;;
  esac
done
