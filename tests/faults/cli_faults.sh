#!/usr/bin/env bash
# The programs around the module when the world around them fails: a disk that fills, an
# interrupt, a killed worker, a FIFO or a damaged file where a file is expected, a module
# cut short, a standard output that takes nothing. Every case must end with a clear
# message and its exit code, no half-written file under a final name, no temporary file
# left and no child process running on; nothing may hang (each run has a time limit).
#   cli_faults.sh QUORVEL FREI0R_DIR WORK_DIR
set -uo pipefail
q=$(realpath "$1") frei0r=$(realpath "$2") work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
passed=0 failed=0
fail() { echo "FAIL $case: $*"; failed=$((failed + 1)); }
# expect CODE REGEX: the last run's exit code and standard error.
expect() {
  if [ "$code" != "$1" ]; then fail "exit $code, expected $1: $(head -c 400 err)"
  elif [ -n "$2" ] && ! grep -Eq -- "$2" err; then fail "stderr does not say /$2/: $(head -c 400 err)"
  else passed=$((passed + 1)); fi
}
run() { timeout -k 5 60 "$@" >out 2>err; code=$?; }
# Nothing half-written: no temporary file, and each PNG whole (its last chunk IEND).
clean() {
  local f
  for f in "$@"; do [ -e "$f" ] || continue
    case "$f" in *.part) fail "$f left behind" ;; *.png) tail -c 8 "$f" | grep -q IEND || fail "$f is cut short" ;;
                  *) fail "$f written" ;; esac
  done
}
gone() { local p; sleep 1; for p in "$@"; do [ -e "/proc/$p" ] && ! grep -q '^State:.*Z' "/proc/$p/status" && fail "process $p runs on"; done; }

# A full disk: a small tmpfs where it can be mounted, else a per-file write limit.
mkdir -p full
if mount -t tmpfs -o size=40k tmpfs full 2>/dev/null; then limit=(); trap 'umount "$work/full"' EXIT
else limit=(ulimit -f 40 \;); fi
for out in seq.png jobs.png v.mp4 v.webm v.gif; do
  case=full_disk_$out
  rm -f full/*
  jobs=1 size=1280x720  # frames of a few kilobytes, videos of more than the disk holds
  case $out in *.png) size=160x120 ;; esac
  [ "$out" = jobs.png ] && jobs=2
  run bash -c "trap '' XFSZ; ${limit[*]} cd full && exec '$q' render --size $size --frames 24 \
    --jobs $jobs --animate 'Rotation Y=0:300' --output $out"
  expect 1 "No space left|too large|ffmpeg failed"
  clean full/*
done

# Interrupts and killed workers. A long render is started, stopped after a moment.
start() { "$q" render --size 1920x1080 --frames 400 "$@" >out 2>err & pid=$!; sleep 2; kids=$(pgrep -P $pid); }
finish() { wait $pid 2>/dev/null; code=$?; }
case=sigterm_video; start --output v.mp4; kill -TERM $pid; finish
expect 143 ""; clean v.mp4 v.mp4.part; gone $kids
case=sigterm_jobs; start --jobs 2 --output s.png; kill -TERM $pid; finish
expect 143 ""; clean s_*; gone $kids
case=sigkill_parent; start --jobs 2 --output k.png; kill -KILL $pid; finish; gone $kids
case=worker_killed; start --jobs 2 --output w.png; first=$(echo $kids | cut -d' ' -f1)
kill -KILL "$first"; finish
expect 1 "worker for frames 1-200: killed by signal 9"; clean w_*; gone $kids

# Files that are not plain files, and damaged ones.
mkfifo fifo.png
case=fifo_input; run "$q" render --input fifo.png --output x.png; expect 1 "fifo.png: not a plain file"
case=folder_input; run "$q" render --input full --output x.png; expect 1 "full: a directory"
mkdir plug && cp -r "$(dirname "$q")/plugin/." plug/
model=plug/Geometry/Toys/Toy01.3dd
for kind in missing empty fifo corrupt folder; do
  case=pendant_$kind
  rm -rf "$model"
  case $kind in
    empty) : >"$model" ;; fifo) mkfifo "$model" ;; folder) mkdir "$model" ;;
    corrupt) head -c 3000 /dev/urandom >"$model" ;;
  esac
  run "$q" render --module plug/Quorvel64.AEX --size 64x48 --output p.png
  expect 0 "pendant model plug/Geometry/Toys/Toy01.3dd (is missing|is empty|is not a plain file|is not a readable 3DD model|is a directory): the ball is drawn without its cap"
done
mkdir f0r && cp "$frei0r/quorvel.so" f0r/ && mkdir -p f0r/Geometry/Toys && mkfifo f0r/Geometry/Toys/Toy01.3dd
case=frei0r_fifo_pendant
run env FREI0R_PATH="$work/f0r" ffmpeg -nostdin -hide_banner -loglevel error -f lavfi \
  -i color=s=64x48:d=1 -frames:v 1 -vf frei0r=filter_name=quorvel -f null -
expect 0 "quorvel: warning: the pendant model .* is not a plain file"

# Modules that cannot be used: one exit code in every command, never a signal.
head -c 30000 plug/Quorvel64.AEX >cut.AEX
for command in "info cut.AEX" "about --module cut.AEX" "render --module cut.AEX" \
               "panel --module cut.AEX --output x.png" "info plug"; do
  case="module: $command"; run "$q" $command
  expect 2 "cannot use module \"(cut.AEX\": the file is cut short|plug\": a directory)"
done

# A standard output that takes nothing.
for command in "info" "about" "model $(dirname "$q")/plugin/Geometry/Toys/Toy01.3dd"; do
  case="stdout: $command"; timeout 60 "$q" $command >/dev/full 2>err; code=$?
  expect 1 "cannot write to standard output"
done
echo "cli faults: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
