#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need. Idempotent: quiet when all are present.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpng-dev libcli11-dev libstb-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth
  fonts-dejavu-core
  clang libclang-rt-14-dev
  frei0r-plugins-dev ffmpeg melt
  gstreamer1.0-tools gstreamer1.0-plugins-bad gstreamer1.0-plugins-good
  slurmctld slurmd slurm-client munge
  dpkg-dev lintian man-db
  procps
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
