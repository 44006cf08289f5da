#!/usr/bin/env bash
# The main job: installs what is needed, builds the native and the Windows module with the
# reference host, and shows what the host sees of the module in both builds.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" native windows >/dev/null
echo "== native module: $root/build/native/plugin/Quorvel64.AEX"
"$root/build/native/quorvel" info
echo
echo "== Windows module under Wine: $root/build/windows/plugin/Quorvel64.AEX"
bash "$root/scripts/wine-run.sh" "$root/build/windows/quorvel.exe" info
