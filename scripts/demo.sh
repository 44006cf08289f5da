#!/usr/bin/env bash
# The main job: installs what is needed, builds the native and the Windows module with the
# reference host, and renders with it: the default frame natively and with the Windows
# module under Wine, a 24-frame turn of "Rotation Y" natively, and one frame per choice of
# "Rendering mode" side by side in out/modes.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
echo "== building (native and Windows)"
bash "$root/scripts/build.sh" native windows >/dev/null
cd "$root"
mkdir -p out/turn out/modes

echo "== default frame, native module ($root/build/native/plugin/Quorvel64.AEX)"
build/native/quorvel render --output out/quorvel.png

echo "== default frame, Windows module under Wine ($root/build/windows/plugin/Quorvel64.AEX)"
bash scripts/wine-run.sh build/windows/quorvel.exe render --output out/quorvel-windows.png

# 960x720 keeps the pendant in the frame (at 1920x1080 it hangs above the top edge).
echo "== a turn of \"Rotation Y\" from 0 to 360 degrees, 24 frames, native"
build/native/quorvel render --size 960x720 --frames 24 --animate "Rotation Y=0:360" \
  --output out/turn/turn.png

# 480x360 keeps the pendant in the frame and the sheet of seven a screen's width.
modes=(Rough Line Wire Flat Phong Patches Bezier)
echo "== one frame per rendering mode, native, side by side in out/modes.png"
sheet=()
for mode in "${modes[@]}"; do
  build/native/quorvel render --size 480x360 --set "Rendering mode=$mode" \
    --output "out/modes/$mode.png"
  sheet+=("$mode=out/modes/$mode.png")
done
build/native/tools/contact_sheet/contact_sheet out/modes.png "${sheet[@]}"

echo
echo "Rendered:"
echo "  $root/out/quorvel.png           default parameters, 1920x1080, native module"
echo "  $root/out/quorvel-windows.png   the same frame by Quorvel64.AEX under Wine"
echo "  $root/out/turn/turn_0001.png .. turn_0024.png   the turn, 960x720"
echo "  $root/out/modes.png             the seven rendering modes side by side, labelled"
