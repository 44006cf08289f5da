#!/usr/bin/env bash
# Renders a fixed set of frames (every drawing mode, both depths, both qualities, glass,
# the four maps, turns and perspective) and compares two such sets, so that a change meant
# to keep the pictures can be checked against frames rendered before it:
#   scripts/frames.sh render BUILD_DIR OUT_DIR     e.g. build/native frames/before
#                                                  (build/windows: under Wine)
#   scripts/frames.sh compare BEFORE_DIR AFTER_DIR [TOLERANCE] [BUILD_DIR]
# compare exits non-zero when a frame is missing or a channel differs by more than
# TOLERANCE levels (default 0).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# name|options (one frame each)
cases=(
  "phong_hi_8|"
  "phong_hi_16|--depth 16"
  "phong_lo_8|--quality lo"
  "phong_lo_16|--quality lo --depth 16"
  "flat_hi_8|--set Rendering\ mode=Flat"
  "flat_lo_16|--set Rendering\ mode=Flat --quality lo --depth 16"
  "patches_hi_8|--size 960x540 --set Rendering\ mode=Patches"
  "patches_lo_16|--size 960x540 --set Rendering\ mode=Patches --quality lo --depth 16"
  "bezier_hi_8|--size 960x540 --set Rendering\ mode=Bezier"
  "bezier_lo_16|--size 960x540 --set Rendering\ mode=Bezier --quality lo --depth 16"
  "rough_8|--size 960x540 --set Rendering\ mode=Rough"
  "line_16|--size 960x540 --set Rendering\ mode=Line --depth 16"
  "wire_8|--size 960x540 --set Rendering\ mode=Wire"
  "glass_hi_8|--size 960x540 --set 17=on --set 37=on"
  "glass_multi_16|--size 960x540 --set 17=on --set 18=on --depth 16"
  "glass_lo_8|--size 960x540 --set 17=on --quality lo --set Rotation\ X=30"
  "maps_hi_8|--size 960x540 --layer 22=TEX --layer 24=TEX --layer 26=TEX --layer 28=TEX --layer 41=TEX"
  "maps_hi_16|--size 960x540 --depth 16 --layer 22=TEX --layer 28=TEX --set 16=40"
  "turned_hi_8|--size 960x540 --set Rotation\ X=40 --set Rotation\ Y=25 --set 3=600 --set Shininess=3"
  "pendant_lo_8|--size 960x540 --set Radius=30 --set Position=480,400 --quality lo --set 37=on"
  "flat_glass_16|--size 640x360 --set Rendering\ mode=Flat --set 17=on --depth 16"
  "tiny_8|--size 7x5"
)

# The build's reference host: the Windows one (quorvel.exe) under Wine, each run held to a
# time limit.
quorvel() {
  if [ -x "$build/quorvel" ]; then
    timeout 120 "$build/quorvel" "$@"
  else
    timeout 300 bash "$root/scripts/wine-run.sh" "$build/quorvel.exe" "$@"
  fi
}

render() {
  local build=$1 out=$2
  mkdir -p "$out"
  # A texture rendered by the build itself: a small frame of the default ball.
  quorvel render --size 256x128 --output "$out/texture.png" >/dev/null
  for c in "${cases[@]}"; do
    local name=${c%%|*} opts=${c#*|}
    opts=${opts//TEX/$out/texture.png}
    eval "quorvel render $opts --output \"$out/$name.png\"" >/dev/null
  done
}

compare() {
  local before=$1 after=$2 tolerance=${3:-0} build=${4:-$root/build/native}
  local failed=0
  for c in texture "${cases[@]}"; do
    local name=${c%%|*}
    "$build/tools/framecheck/framecheck" "$before/$name.png" "$after/$name.png" "$tolerance" ||
      failed=1
  done
  return $failed
}

case "${1:-}" in
  render) render "$2" "$3" ;;
  compare) compare "$2" "$3" "${4:-0}" "${5:-$root/build/native}" ;;
  *) echo "usage: $0 render BUILD_DIR OUT_DIR | compare BEFORE AFTER [TOLERANCE] [BUILD_DIR]" >&2; exit 2 ;;
esac
