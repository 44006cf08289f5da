#!/usr/bin/env bash
# Measures the effect against its anchors in one run on this machine and prints the table
# of bench/README.md:
#   - Mesa's llvmpipe on one thread drawing the same job as the default frame (copy the
#     layer, a 600-triangle Phong ball with two lights, read back), best of 3 runs of 20
#     frames, with 1 sample and with 4 (the anti-aliased frame); its source is the shared
#     anchor llvmpipe_ball.c (needs libosmesa6-dev);
#   - the render benchmarks (bench/quorvel_bench), best of REPS repetitions, and the goals'
#     ratios again with the renders taking turns in one process (bench/quorvel_module_ab);
#   - each further frame of `quorvel render --frames` at 1080p with its PNG files;
#   - peak memory (maximum resident size) of `quorvel render` at 1080p and 4K, 8 and 16 bits;
#   - the speed goals as ratios, the renders taking turns in one process.
# Usage: bench/run.sh [BUILD_DIR] (default build/native; run scripts/build.sh native first).
# REPS (default 5) and FRAMES (default 12) may be set in the environment.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/native}
reps=${REPS:-5}
frames=${FRAMES:-12}
work=$build/bench/run
module=$build/plugin/Quorvel64.AEX
mkdir -p "$work"

# The anchors live beside the repository (shared/anchors), never inside it.
anchors=""
for d in "$root/../shared/anchors" "$root/../../shared/anchors" /work/shared/anchors; do
  [ -f "$d/llvmpipe_ball.c" ] && { anchors=$d; break; }
done
[ -n "$anchors" ] || { echo "bench/run.sh: no shared/anchors/llvmpipe_ball.c beside the repository" >&2; exit 1; }
if ! dpkg-query -W -f='${Status}' libosmesa6-dev 2>/dev/null | grep -q 'install ok installed'; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libosmesa6-dev >/dev/null
fi
gcc -O2 -o "$work/llvmpipe_ball" "$anchors/llvmpipe_ball.c" -lOSMesa -lm
gcc -O2 -o "$work/memfloor" "$anchors/memfloor.c"

best() { sort -n | head -1; }

# llvmpipe on one thread (LP_NUM_THREADS=0: rasterized on the calling thread), with 1 sample
# and with 4 (its anti-aliased frame: a 4x multisampled framebuffer, resolved).
anchor_wall() {
  for i in 1 2 3; do LP_NUM_THREADS=0 "$work/llvmpipe_ball" 1920 1080 20 "$1" 2>/dev/null; done |
    sed -n 's/.*best \([0-9.]*\) ms.*/\1/p' | best
}
# Its CPU time a frame: (40 frames - 4 frames) / 36, best of 3, which leaves out the start-up
# and shader compilation; on a loaded machine this is the steadier figure.
cpu_of() {
  /usr/bin/time -f '%U %S' env LP_NUM_THREADS=0 "$work/llvmpipe_ball" 1920 1080 "$1" "$2" 2>&1 >/dev/null |
    tail -1 | awk '{ printf "%.1f\n", ($1 + $2) * 1000 }'
}
anchor_cpu() {
  for i in 1 2 3; do
    a=$(cpu_of 4 "$1"); b=$(cpu_of 40 "$1"); awk -v a="$a" -v b="$b" 'BEGIN { printf "%.1f\n", (b - a) / 36 }'
  done | best
}
anchor_ms=$(anchor_wall 1)
anchor4_ms=$(anchor_wall 4)
anchor_cpu_ms=$(anchor_cpu 1)
anchor4_cpu_ms=$(anchor_cpu 4)
floor_ms=$("$work/memfloor" 1920 1080 1 8 | sed -n 's/.*: \([0-9.]*\) ms/\1/p')

# The benchmarks: the best wall time of each.
"$build/bench/quorvel_bench" --benchmark_filter='RenderFrame' --benchmark_repetitions="$reps" \
  --benchmark_report_aggregates_only=false 2>/dev/null |
  awk '$1 ~ /^RenderFrame/ && $3 == "ms" {
         if (!($1 in b) || $2 < b[$1]) b[$1] = $2
         if (!($1 in c) || $4 < c[$1]) c[$1] = $4 }
       END { for (k in b) print k, b[k], c[k] }' | sort > "$work/bench.txt"
ms() { awk -v k="$1" '$1 == k { print $2 }' "$work/bench.txt"; }
cpu() { awk -v k="$1" '$1 == k { print $3 }' "$work/bench.txt"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b == 0) print "-"; else printf "%.2f", a / b }'; }

# Each further frame of a sequence: (N frames - 2 frames) / (N - 2), best of 3.
seq_time() {
  local n=$1 start end
  start=$(date +%s.%N)
  "$build/quorvel" render --frames "$n" --animate "Rotation Y=0:30" --output "$work/seq.png" >/dev/null
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f\n", (e - s) * 1000 }'
}
t2=$(for i in 1 2 3; do seq_time 2; done | best)
tn=$(for i in 1 2 3; do seq_time "$frames"; done | best)
further_ms=$(awk -v a="$t2" -v b="$tn" -v n="$frames" 'BEGIN { printf "%.1f", (b - a) / (n - 2) }')
seq_cpu() {
  /usr/bin/time -f '%U %S' "$build/quorvel" render --frames "$1" --animate "Rotation Y=0:30" \
    --output "$work/seq.png" 2>&1 >/dev/null | tail -1 | awk '{ printf "%.1f\n", ($1 + $2) * 1000 }'
}
c2=$(for i in 1 2 3; do seq_cpu 2; done | best)
cn=$(for i in 1 2 3; do seq_cpu "$frames"; done | best)
further_cpu_ms=$(awk -v a="$c2" -v b="$cn" -v n="$frames" 'BEGIN { printf "%.1f", (b - a) / (n - 2) }')
rm -f "$work"/seq_*.png

peak() {
  /usr/bin/time -f '%M' "$build/quorvel" render "$@" --output "$work/peak.png" 2>&1 >/dev/null |
    tail -1 | awk '{ printf "%.0f", $1 / 1024 }'
}

echo "Anchor: llvmpipe, one thread, 1920x1080 default job: $anchor_ms ms wall (best of 3 x 20 frames), $anchor_cpu_ms ms CPU a frame"
echo "Anchor with 4 samples (multisampled, resolved): $anchor4_ms ms wall, $anchor4_cpu_ms ms CPU a frame"
echo "Load average while measuring: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Memory floor: 8 full-frame passes at 1080p 8-bit: $floor_ms ms"
echo
row() {  # label, benchmark name
  echo "| $1 | $(ms "$2") | $(ratio "$(ms "$2")" "$anchor_ms") | $(ratio "$(ms "$2")" "$anchor4_ms") | $(cpu "$2") | $(ratio "$(cpu "$2")" "$anchor_cpu_ms") |"
}
echo "| render (1920 x 1080) | wall ms | x llvmpipe | x llvmpipe 4 samples | CPU ms | x llvmpipe CPU |"
echo "|---|---|---|---|---|---|"
for d in 8 16; do row "RenderFrame/$d (default: Phong, quality high)" "RenderFrame/$d"; done
for m in 1:Rough 2:Line 3:Wire 4:Flat 5:Phong 6:Patches 7:Bezier; do
  for q in 0 1; do
    for d in 8 16; do
      row "${m#*:}, quality $([ $q = 1 ] && echo high || echo low), $d-bit" \
        "RenderFrameModes/mode:${m%%:*}/quality:$q/depth:$d"
    done
  done
done
echo "| each further frame of \`quorvel render --frames $frames\`, PNG written | $further_ms | $(ratio "$further_ms" "$anchor_ms") | $(ratio "$further_ms" "$anchor4_ms") | $further_cpu_ms | $(ratio "$further_cpu_ms" "$anchor_cpu_ms") |"
echo
echo "Goals (CPU time): RenderFrame/16 / RenderFrame/8 = $(ratio "$(cpu RenderFrame/16)" "$(cpu RenderFrame/8)");" \
  "Phong high / low (8-bit) = $(ratio "$(cpu RenderFrameModes/mode:5/quality:1/depth:8)" "$(cpu RenderFrameModes/mode:5/quality:0/depth:8)");" \
  "Flat high / Phong high (8-bit) = $(ratio "$(cpu RenderFrameModes/mode:4/quality:1/depth:8)" "$(cpu RenderFrameModes/mode:5/quality:1/depth:8)")"
# The same ratios with the renders taking turns in one process (quorvel_module_ab): each
# job's best thread CPU time over 30 turns. A drift of the machine's speed then touches every
# job alike, where the table's rows are measured one after another.
turns=$("$build/bench/quorvel_module_ab" --rounds 30 "$module:0:1:8" "$module:0:1:16" \
  "$module:5:1:8" "$module:5:0:8" "$module:4:1:8" "$module:6:1:8" | sed -n 's/.*:\([0-9]*:[0-9]*:[0-9]*\): min \([0-9.]*\),.*/\1 \2/p')
bezier=$("$build/bench/quorvel_module_ab" --rounds 5 "$module:0:1:8" "$module:7:1:8" |
  sed -n 's/.*:\([0-9]*:[0-9]*:[0-9]*\): min \([0-9.]*\),.*/\1 \2/p')
turn() { awk -v k="$1" '$1 == k { print $2 }' <<<"$turns"; }
echo "Renders taking turns (best CPU ms of 30 turns): RenderFrame/16 / RenderFrame/8 =" \
  "$(ratio "$(turn 0:1:16)" "$(turn 0:1:8)"); Phong high / low (8-bit) =" \
  "$(ratio "$(turn 5:1:8)" "$(turn 5:0:8)"); Flat high / Phong high (8-bit) =" \
  "$(ratio "$(turn 4:1:8)" "$(turn 5:1:8)")" \
  "[$(turn 0:1:8) / $(turn 0:1:16) / $(turn 5:1:8) / $(turn 5:0:8) / $(turn 4:1:8) ms]"
peak_4k16=$(peak --size 3840x2160 --depth 16)
peak_hd8=$(peak)
default_cpu=$(turn 0:1:8)
bezier_cpu=$(awk '$1 == "7:1:8" { print $2 }' <<<"$bezier")
bezier_default=$(awk '$1 == "0:1:8" { print $2 }' <<<"$bezier")
echo
echo "| goal (CPU time, 1080p 8-bit; renders taking turns) | measured | goal |"
echo "|---|---|---|"
echo "| default frame / llvmpipe | $(ratio "$default_cpu" "$anchor_cpu_ms") | <= 0.5 |"
echo "| default frame / llvmpipe with 4 samples | $(ratio "$default_cpu" "$anchor4_cpu_ms") | <= 0.25 |"
echo "| quality low / llvmpipe | $(ratio "$(turn 5:0:8)" "$anchor_cpu_ms") | <= 0.35 |"
echo "| Bezier / default frame | $(ratio "$bezier_cpu" "$bezier_default") | <= 3 |"
echo "| Patches, quality high / default frame | $(ratio "$(turn 6:1:8)" "$default_cpu") | <= 1.3 |"
echo "| each further frame (PNG written, wall) / llvmpipe (wall) | $(ratio "$further_ms" "$anchor_ms") | <= 1.0 |"
echo "| peak memory 3840 x 2160 16-bit | $peak_4k16 MB | <= 300 MB |"
echo "| peak memory 1920 x 1080 8-bit | $peak_hd8 MB | <= 60 MB |"
echo
echo "| peak memory of \`quorvel render\` | 8-bit | 16-bit |"
echo "|---|---|---|"
echo "| 1920 x 1080 | $(peak) MB | $(peak --depth 16) MB |"
echo "| 3840 x 2160 | $(peak --size 3840x2160) MB | $(peak --size 3840x2160 --depth 16) MB |"
