#!/usr/bin/env bash
# Cross-builds OpenSSL's static libraries for a mingw-w64 target from Debian's
# source package and prints the installed prefix (include/, lib/libssl.a,
# lib/libcrypto.a) on stdout; everything else goes to stderr.
#
#   scripts/lib/openssl.sh x86_64-w64-mingw32|i686-w64-mingw32
#
# The prefix is cached outside the source tree, keyed by the tarball's
# checksum and the configure options, so that a fresh clone, a wiped build
# folder and every worktree of the machine share one build:
#   ${VELTRANO_CACHE:-${XDG_CACHE_HOME:-~/.cache}/veltrano}/openssl/<key>/<triplet>
# The source package is fetched once, through a private apt configuration
# with deb-src entries for the suites of the machine's own deb entries (the
# machine's apt configuration is left as it is); a later run uses the
# tarball it already has and needs no network.
set -euo pipefail

triplet=${1:?usage: openssl.sh x86_64-w64-mingw32|i686-w64-mingw32}
case $triplet in
  x86_64-w64-mingw32) target=mingw64 ;;
  i686-w64-mingw32) target=mingw ;;
  *) echo "openssl.sh: unknown target $triplet" >&2; exit 2 ;;
esac

# Static libraries only, without the parts the program never loads. A change
# here changes the cache key.
options=(no-shared no-tests no-module no-engine no-dso no-legacy)

cache=${VELTRANO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltrano}/openssl
mkdir -p "$cache/src"
exec 9>"$cache/lock"

log() { echo "openssl: $*" >&2; }

# Newest upstream tarball already fetched, if any.
newest_tarball() {
  find "$cache/src" -maxdepth 1 -name 'openssl_*.orig.tar.gz' -printf '%f\n' | sort -V | tail -n 1
}

# apt-get with its lists and sources in the cache: deb-src lines for the
# suites the machine's deb lines name.
private_apt() {
  local dir=$cache/apt
  mkdir -p "$dir/lists/partial" "$dir/sources.list.d" "$dir/archives/partial"
  : >"$dir/sources.list"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$dir/sources.list"
  done
  rm -f "$dir/sources.list.d/"*.sources
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -E 's/^Types:.*$/Types: deb-src/' "$f" >"$dir/sources.list.d/$(basename "$f")"
  done
  apt-get -q \
    -o Dir::Etc::SourceList="$dir/sources.list" \
    -o Dir::Etc::SourceParts="$dir/sources.list.d" \
    -o Dir::State::Lists="$dir/lists" \
    -o Dir::Cache::Archives="$dir/archives" \
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= \
    -o APT::Sandbox::User="$(id -un)" \
    "$@"
}

fetch() {
  log "fetching Debian's openssl source package"
  private_apt update >&2
  # Only the upstream tarball is needed: apt-get ends non-zero when a part of
  # a newer suite's package is missing, so the result is judged by the file.
  (cd "$cache/src" && private_apt source --download-only openssl >&2) || true
  # A download cut short would fail every later build: only a whole
  # tarball stays.
  local t
  for t in "$cache/src"/openssl_*.orig.tar.gz; do
    [ -f "$t" ] && ! gzip -t "$t" 2>/dev/null && rm -f "$t"
  done
  return 0
}

flock 9
tarball=$(newest_tarball)
if [ -z "$tarball" ]; then
  fetch
  tarball=$(newest_tarball)
  if [ -z "$tarball" ]; then
    log "no openssl_*.orig.tar.gz arrived in $cache/src"
    exit 1
  fi
fi
flock -u 9

key=$({ sha256sum "$cache/src/$tarball" | cut -d' ' -f1; echo "${options[*]}"; } | sha256sum | cut -c1-16)
prefix=$cache/$key/$triplet
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# One build per prefix at a time; a second caller waits and takes its result.
mkdir -p "$cache/$key"
exec 8>"$cache/$key/$triplet.lock"
flock 8
if [ ! -f "$prefix/.complete" ]; then
  log "building $tarball for $triplet (a few minutes, once)"
  work=$(mktemp -d "$cache/$key/build-$triplet.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  tar -xzf "$cache/src/$tarball" -C "$work"
  source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  rm -rf "$prefix"
  (
    cd "$source_dir"
    perl Configure "$target" --cross-compile-prefix="$triplet-" --prefix="$prefix" --libdir=lib \
      "${options[@]}"
    make -j"${VELTRANO_OPENSSL_JOBS:-4}" build_libs
    make install_dev
  ) >"$work/build.log" 2>&1 || {
    tail -n 40 "$work/build.log" >&2
    log "build for $triplet failed"
    rm -rf "$prefix"
    exit 1
  }
  echo "$tarball ${options[*]}" >"$prefix/.complete"
fi
echo "$prefix"
