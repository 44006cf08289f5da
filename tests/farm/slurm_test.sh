#!/usr/bin/env bash
# The farm example on a real one-node Slurm (munged, slurmctld, slurmd; configuration, key,
# sockets, state and logs in this test's folder, ports of its own, daemons stopped by their
# process ids): submit.sh sends 12 animated frames as 4 array tasks and a video step. Each
# task must render its 3 frames, the frames must equal a one-process render byte for byte,
# the video must hold all 12. A Slurm that cannot start fails the test.
#   tests/farm/slurm_test.sh BUILD_DIR      (as root, as CI runs it)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "$1" && pwd)
dir="$build/farm" start=$(date +%s) pids=()
rm -rf "$dir"
mkdir -p "$dir/state" "$dir/spool" "$dir/out" "$dir/one"
stop() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
fail() {
  echo "slurm_test: $*" >&2
  for log in "$dir"/*.log; do echo "== $log" >&2; tail -n 15 "$log" >&2; done
  exit 1
}
trap stop EXIT
trap 'fail "the command on line $LINENO failed"' ERR
quick() { timeout -k 5 30 "$@"; }
# Polls the condition (a command) every half second for up to N seconds.
wait_for() {
  local n=$1; shift
  for _ in $(seq $((2 * n))); do "$@" && return 0; sleep 0.5; done
  return 1
}

dd if=/dev/urandom of="$dir/munge.key" bs=1024 count=1 status=none
chmod 0400 "$dir/munge.key"
munged --force --foreground --key-file="$dir/munge.key" --socket="$dir/munge.socket" \
  --pid-file="$dir/munged.pid" --seed-file="$dir/munged.seed" --log-file="$dir/munged.log" \
  >"$dir/munged-start.log" 2>&1 &
pids+=($!)
wait_for 10 test -S "$dir/munge.socket" || fail "munged did not start"
port=$((20000 + RANDOM % 20000))
cat >"$dir/slurm.conf" <<CONF
ClusterName=quorveltest
SlurmctldHost=$(hostname -s)(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
AuthInfo=socket=$dir/munge.socket
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
ReturnToService=2
NodeName=quorvel1 NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=render Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$dir/slurm.conf"
slurmctld -D -f "$SLURM_CONF" >>"$dir/slurmctld.log" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" -N quorvel1 >>"$dir/slurmd.log" 2>&1 &
pids+=($!)
node_idle() { [ "$(quick sinfo -h -o %t 2>/dev/null)" = idle ]; }
wait_for 30 node_idle || fail "the Slurm node did not come up"

options=(--size 160x120 --animate "Rotation Y=0:330" --animate "Diffuse=255,0,0:0,0,255")
read -r frames_job video_job < <(cd "$dir" && QUORVEL="$build/quorvel" quick \
  "$root/examples/slurm/submit.sh" 4 12 12 "$dir/out/seq.png" "$dir/out/seq.mp4" "${options[@]}") ||
  fail "submit.sh failed"
queue_empty() { [ -z "$(quick squeue -h -j "$frames_job,$video_job" 2>/dev/null)" ]; }
wait_for 120 queue_empty || fail "the jobs did not end"
states=$(for job in "$frames_job" "$video_job"; do quick scontrol -o show job "$job" || true; done |
  grep -o 'JobState=[A-Z]*' | sort | uniq -c | tr -s ' ' || true)
[ "$states" = " 5 JobState=COMPLETED" ] || fail "jobs not all completed: $states"

timeout -k 5 300 "$build/quorvel" render --frames 12 --fps 12 "${options[@]}" \
  --output "$dir/one/seq.png" >/dev/null
for k in $(seq -f %04g 1 12); do
  cmp -s "$dir/one/seq_$k.png" "$dir/out/seq_$k.png" || fail "frame $k differs from the one-process render"
done
ranges=$(cat "$dir"/quorvel-frames-*.log | grep -o 'frames [0-9]* to [0-9]*' | sort -V | tr '\n' ,)
[ "$ranges" = "frames 1 to 3,frames 4 to 6,frames 7 to 9,frames 10 to 12," ] || fail "ranges: $ranges"
count=$(timeout -k 5 60 ffprobe -v error -count_frames -select_streams v:0 \
  -show_entries stream=nb_read_frames -of csv=p=0 "$dir/out/seq.mp4")
[ "$count" = 12 ] || fail "the video holds $count frames"
echo "slurm_test: 12 frames as 4 array tasks and a video step agree with one process ($(($(date +%s) - start)) s)"
