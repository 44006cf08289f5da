#!/usr/bin/env bash
# Checks that every build draws the same pixels: the frames of scripts/frames.sh rendered by
# the native module and by the Windows module under Wine must be equal channel for channel,
# and the frei0r filter inside ffmpeg must draw what `quorvel render` draws over the same
# picture. Run after both builds (scripts/test.sh does).
#   scripts/same_pixels.sh [WORK_DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${1:-$root/build/same-pixels}
native=$root/build/native
rm -rf "$work"
mkdir -p "$work"

echo "native and Windows modules, every frame of scripts/frames.sh"
bash "$root/scripts/frames.sh" render "$native" "$work/native"
bash "$root/scripts/frames.sh" render "$root/build/windows" "$work/windows"
bash "$root/scripts/frames.sh" compare "$work/native" "$work/windows" 0

echo "the frei0r filter in ffmpeg and quorvel render, over one picture"
timeout 60 ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=640x360 \
  -frames:v 1 "$work/layer.png"
status=0
# name|frei0r parameters in order|the same for quorvel render
for c in "default||" "flat|Flat|--set Rendering\ mode=Flat" "bezier|Bezier|--set Rendering\ mode=Bezier" \
         "small|Phong|0.5|0.2|--set Faces\ number=550 --set Radius=30"; do
  name=${c%%|*}
  rest=${c#*|}
  render_opts=${rest##*|}
  params=${rest%|*}
  filter="frei0r=filter_name=quorvel"
  [ -n "$params" ] && filter="$filter:filter_params='$params'"
  FREI0R_PATH=$native/frei0r timeout 120 ffmpeg -nostdin -hide_banner -loglevel error -y \
    -i "$work/layer.png" -vf "$filter" -frames:v 1 -pix_fmt rgba "$work/ffmpeg-$name.png"
  eval "timeout 120 \"$native/quorvel\" render --input \"$work/layer.png\" $render_opts \
    --output \"$work/quorvel-$name.png\"" >/dev/null
  "$native/tools/framecheck/framecheck" "$work/quorvel-$name.png" "$work/ffmpeg-$name.png" 0 ||
    status=1
done
exit $status
