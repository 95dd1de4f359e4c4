#!/usr/bin/env bash
# Installs what building, testing and screenshots need; quiet when all is there.
set -euo pipefail
pkgs=(build-essential cmake qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
      xvfb xauth imagemagick fonts-dejavu-core clang-format clang-tidy
      dpkg-dev file desktop-file-utils)
# `make package-check`: Debian's package checker and hardening-check (devscripts).
pkgs+=(lintian devscripts)
# Qt's own translations: standard buttons and dialogs in Dutch and German.
pkgs+=(qt6-translations-l10n)
# Network-port tests: ser2net in front of the simulator.
pkgs+=(ser2net)
# Runs of the test suite under CPU load, to shake out timing that holds only on a quiet machine.
pkgs+=(stress-ng)
# `make fuzz`: clang and its libFuzzer runtime; ccache keeps its rebuilds short.
pkgs+=(clang libclang-rt-dev ccache)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
