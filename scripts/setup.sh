#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine. Idempotent:
# packages that dpkg already reports installed are skipped.
#
#   scripts/setup.sh          everything scripts/test.sh builds and runs
#   scripts/setup.sh --run    only what scripts/run.sh needs: the x86_64
#                             build of the program, Wine and a virtual display
set -euo pipefail

run_only=false
case ${1:-} in
  --run) run_only=true ;;
  "") ;;
  *) echo "usage: setup.sh [--run]" >&2; exit 2 ;;
esac

# The x86_64 build (its configure reads googletest's sources), Wine, a
# virtual display and the installation record (python3).
packages=(
  cmake ninja-build googletest
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 xvfb x11-utils python3 util-linux
  make perl  # scripts/lib/openssl.sh builds OpenSSL with them
)
triplets=(x86_64-w64-mingw32)
if ! $run_only; then
  # The native, fuzzing and benchmark builds, the i686 build, the input of
  # the end-to-end test, the screenshots, and the ZIP tools the archive
  # tests compare with.
  packages+=(
    g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev zlib1g-dev libssl-dev
    g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
    xdotool x11-apps unzip zip
  )
  triplets+=(i686-w64-mingw32)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
updated=false
missing_i386=()
if ! $run_only; then
  # The shipped 32-bit programs run under Debian's 32-bit Wine, a package of
  # the i386 architecture.
  dpkg -s wine32:i386 >/dev/null 2>&1 || missing_i386+=(wine32:i386)
  # Read whole first: grep -q ending the pipe early would fail it.
  foreign=$(dpkg --print-foreign-architectures)
  if ! grep -qx i386 <<<"$foreign"; then
    echo "setup: adding the i386 architecture for wine32"
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    updated=true
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $updated || $sudo apt-get update -qq
  updated=true
  $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if [ ${#missing_i386[@]} -gt 0 ]; then
  echo "setup: installing ${missing_i386[*]}"
  $updated || $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing_i386[@]}" >/dev/null
fi

# Said once here, and again by the test command: where the kernel runs no
# 32-bit code, the 32-bit programs cannot be run.
if ! $run_only; then
  . "$(dirname "$0")/lib/wine_loader.sh"
  if ! why=$(wine32_usable); then
    echo "setup: WARNING: $why; the win32 preset's programs cannot run on this machine"
  fi
fi

# OpenSSL's static libraries for the Windows targets: built once and cached
# outside the source tree (scripts/lib/openssl.sh); the configure of the
# win64 and win32 presets finds them there.
for triplet in "${triplets[@]}"; do
  "$(dirname "$0")/lib/openssl.sh" "$triplet" >/dev/null
done
