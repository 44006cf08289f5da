#!/usr/bin/env bash
# Regenerates the help page's pictures in shell/resources/plugin/Glissel/ with the native
# reference host: one per rendering mode, and the glass, map and light examples the page
# shows. Re-run it whenever a mode's drawing changes. Needs the native build
# (scripts/build.sh native).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${QUORVEL_BUILD:-$root/build/native}
out=$root/shell/resources/plugin/Glissel
size=320x240
mkdir -p "$out"

render() {  # render FILE [options...]
  local file=$1; shift
  "$build/quorvel" render --size "$size" --output "$out/$file" "$@" >/dev/null
  echo "$file"
}

for mode in Rough Line Wire Flat Phong Patches Bezier; do
  render "mode_${mode,,}.png" --set "Rendering mode=$mode"
done

render material.png --set Diffuse=40,90,220 --set Shininess=60 --set "Strength of	shininess=250" \
  --set "Self illumination=20"
render transparency.png --set Transparancy=60
render glass.png --set Glass=on --set Transparancy=30
render glass_aberration.png --set Glass=on --set Transparancy=30 --set Aberration=80 \
  --set Refraction=-90

# The maps take other pictures as their layers: the mode pictures serve.
render texture.png --layer "Texture=$out/mode_wire.png" --set Diffuse=255,255,255
render bump.png --layer "Texture of bump=$out/mode_line.png" --set "Bump percent=8"
render opacity.png --layer "Texture of opacity=$out/mode_wire.png"
render reflection.png --layer "Texture of reflection=$out/mode_patches.png" \
  --set "Reflection percent=70"

render light_one.png --set "Opposite light=off"
render light_moved.png --set "Rotate UV=120" --set "Rotate WV=20" --set "Light color=255,220,160"
render cut_alpha.png --set "Cut alpha=on"
