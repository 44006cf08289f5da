#!/usr/bin/env bash
# Submits a quorvel sequence to Slurm: TASKS array tasks render the frames, then one job
# makes the video from them. Prints the two job ids.
#
#   submit.sh TASKS FRAMES FPS OUTPUT VIDEO [quorvel render options...]
#
# e.g. submit.sh 8 240 24 /shared/turn/turn.png /shared/turn.mp4 \
#        --size 1920x1080 --animate "Rotation Y=0:360"
# OUTPUT and VIDEO must lie in a folder that every node sees. The options go to every task
# unchanged: frame k is the same on whichever node renders it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tasks=$1 frames=$2 fps=$3 output=$4 video=$5
shift 5
mkdir -p "$(dirname "$output")"
frames_job=$(sbatch --parsable --array="0-$((tasks - 1))" "$here/render_array.sbatch" \
  "$frames" "$output" --fps "$fps" "$@")
video_job=$(sbatch --parsable --dependency="afterok:${frames_job%%;*}" \
  "$here/make_video.sbatch" "$frames" "$output" "$fps" "$video")
echo "${frames_job%%;*} $video_job"
