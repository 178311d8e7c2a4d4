#!/usr/bin/env bash
# Installs the Debian packages Orvanne needs, only those that are missing.
#   scripts/deps.sh run    building and running the program
#   scripts/deps.sh test   + tests, referees and benchmarks
#   scripts/deps.sh fuzz   + clang and libFuzzer
set -euo pipefail

what=${1:-run}
pkgs=(cmake g++ make pkg-config qt6-base-dev qt6-translations-l10n zlib1g-dev libjpeg62-turbo-dev
      libxcb1-dev libgtest-dev fonts-ipafont-gothic fonts-dejavu-core xvfb imagemagick)
if [[ $what == test || $what == fuzz ]]; then
  pkgs+=(libbenchmark-dev xdotool x11-apps libpng-dev libspng-dev libgif-dev libstb-dev libjpeg-turbo-progs)
fi
if [[ $what == fuzz ]]; then
  pkgs+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
