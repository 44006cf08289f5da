#!/usr/bin/env bash
# The reference host with one of its own allocations failed: a small render is run once to
# count the host's allocations and keep its frame, then again with a sample of them failed
# one at a time. Every run must end with the same frame (exit 0) or with exit 1 and a
# message that names the lack of memory; an abort or a crash fails the test.
#   host_alloc_faults.sh QUORVEL SHIM WORK_DIR [SAMPLES]
set -euo pipefail
quorvel=$1 shim=$2 work=$3 samples=${4:-120}
mkdir -p "$work"
cd "$work"
args=(render --size 48x40 --set "Rendering mode=Phong" --set "Cut alpha=on")

rm -f ref.png count
QV_MALLOC_COUNT=count LD_PRELOAD=$shim "$quorvel" "${args[@]}" --output ref.png >/dev/null
total=$(cat count)
[ "$total" -gt 100 ] || { echo "only $total allocations counted: is the shim preloaded?"; exit 1; }

frames=0 refused=0 failed=0
for ((k = 0; k < samples; k++)); do
  n=$((1 + k * (total - 1) / (samples - 1)))
  rm -f out.png
  set +e
  QV_FAIL_MALLOC=$n LD_PRELOAD=$shim "$quorvel" "${args[@]}" --output out.png >/dev/null 2>err.txt
  code=$?
  set -e
  if [ $code -eq 0 ] && cmp -s out.png ref.png; then
    frames=$((frames + 1))
  elif [ $code -eq 1 ] && grep -qi "out of memory\|cannot allocate memory" err.txt; then
    refused=$((refused + 1))
  else
    failed=$((failed + 1))
    echo "allocation $n of $total: exit $code: $(head -c 300 err.txt)"
  fi
done
echo "host allocations: $total; failed one at a time: $samples; right frame: $frames;" \
     "out of memory: $refused; wrong: $failed"
[ $failed -eq 0 ]
