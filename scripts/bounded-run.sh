#!/usr/bin/env bash
# Runs a program for the tests under a time limit, so that a hung run cannot block CI:
#   scripts/bounded-run.sh SECONDS PROGRAM [ARGUMENT...]
# A run that reaches the limit (it and everything it started are ended) is made once
# more; when the second one reaches it too, the command fails with exit code 124 and what
# both runs printed. Otherwise the run's exit code is the command's, and its standard
# output and standard error are passed on, each to its own.
set -uo pipefail
if [ $# -lt 2 ]; then
  echo "usage: bounded-run.sh SECONDS PROGRAM [ARGUMENT...]" >&2
  exit 2
fi
limit=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for attempt in 1 2; do
  # timeout puts the program in a process group of its own and ends the whole group;
  # a program that ignores SIGTERM is killed 10 seconds later.
  timeout -k 10 "$limit" "$@" >"$work/out$attempt" 2>"$work/err$attempt"
  status=$?
  if [ "$status" -ne 124 ] && [ "$status" -ne 137 ]; then
    cat "$work/out$attempt"
    cat "$work/err$attempt" >&2
    exit "$status"
  fi
  echo "bounded-run: run $attempt of $* stopped at its limit of $limit s" >>"$work/err$attempt"
done
cat "$work/out1" "$work/out2"
cat "$work/err1" "$work/err2" >&2
exit 124
