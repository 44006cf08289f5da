#!/usr/bin/env bash
# Regenerates the information panel's bitmaps (shell/resources/bitmap_779.bmp .. 785.bmp):
# renders the ball with the effect itself through `quorvel render`, then draws the banner
# and the buttons around it with panel_art. Re-runnable; builds the native tree first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
fonts=/usr/share/fonts/truetype/dejavu
for f in DejaVuSans-Bold.ttf DejaVuSans.ttf; do
  if [ ! -f "$fonts/$f" ]; then
    echo "make_panel_bitmaps: $fonts/$f is missing (apt-get install fonts-dejavu-core)" >&2
    exit 1
  fi
done
bash "$root/scripts/build.sh" native >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The ball at four times its banner size (110 pixels), on a transparent layer.
"$root/build/native/quorvel" render --size 440x440 --set "Cut alpha=on" --set Radius=82 \
  --set "Position=220,252" --set "Rotation Y=25" --set "Faces number=1200" --output "$work/ball.png" >/dev/null
"$root/build/native/tools/panel_art/panel_art" "$work/ball.png" "$fonts/DejaVuSans-Bold.ttf" \
  "$fonts/DejaVuSans.ttf" "$root/shell/resources"
