#!/usr/bin/env bash
# Regenerates the about box's picture, shell/resources/bitmap_1047.bmp (424 x 329, 24-bit):
# renders the ball with the native reference host in several modes and materials, then
# composes them with the effect's name. Needs the native build (scripts/build.sh native).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${QUORVEL_BUILD:-$root/build/native}
fonts=${QUORVEL_FONTS:-/usr/share/fonts/truetype/dejavu}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() {  # render NAME SIZE [--set ...]: the ball alone, on a transparent background
  local name=$1 size=$2; shift 2
  "$build/quorvel" render --size "$size" --output "$work/$name.png" --set "Cut alpha=on" "$@" >/dev/null
}
render hero 496x496 --set Radius=62 --set Position=248,270 --set "Rotation Y=-20"
render wire 280x280 --set "Rendering mode=Wire" --set Radius=70 --set Position=140,158 --set Diffuse=80,200,255
render flat 280x280 --set "Rendering mode=Flat" --set Radius=70 --set Position=140,158 --set Diffuse=60,160,90 --set "Faces number=120"
render phong_gold 280x280 --set Radius=70 --set Position=140,158 --set Diffuse=230,170,40 --set Shininess=40
render patches_glass 280x280 --set "Rendering mode=Patches" --set Radius=70 --set Position=140,158 --set Diffuse=120,140,255 --set Glass=on --set Transparancy=40
render line 280x280 --set "Rendering mode=Line" --set Radius=70 --set Position=140,158 --set Diffuse=255,120,200
"$build/tools/pictures/make_about_bitmap" "$root/shell/resources/bitmap_1047.bmp" "$fonts" "$work"
