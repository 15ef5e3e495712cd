#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine. Idempotent:
# packages that dpkg already reports installed are skipped.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev zlib1g-dev libssl-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb xdotool x11-utils x11-apps unzip zip python3 util-linux
  make perl  # scripts/lib/openssl.sh builds OpenSSL with them
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# OpenSSL's static libraries for both Windows targets: built once and cached
# outside the source tree (scripts/lib/openssl.sh); the configure of the
# win64 and win32 presets finds them there.
for triplet in x86_64-w64-mingw32 i686-w64-mingw32; do
  "$(dirname "$0")/lib/openssl.sh" "$triplet" >/dev/null
done
