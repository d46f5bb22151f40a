#!/usr/bin/env bash
# Cross-builds for Windows the libraries the programs and their tests need,
# from Debian's sources fetched into the cache, and installs them into the
# cache's prefix. A library already built at its version is left as it is,
# so a second run costs nothing. Usage: build-libraries.sh CACHE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$1
prefix=$cache/prefix
export VELMORA_WINDOWS_PREFIX=$prefix
# pkg-config must find the Windows libraries only, never the system's own.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig
export PKG_CONFIG_PATH=
mkdir -p "$prefix" "$cache/build"

"$here/fetch-sources.sh" "$cache" \
  qt6-base:libqt6core6 libxml2:libxml2 libxlsxwriter:libxlsxwriter-dev qpdf:libqpdf29 libjpeg-turbo:libjpeg62-turbo

source_dir() { compgen -G "$cache/src/$1-*/" | head -1 | sed 's:/$::'; }

# build NAME SOURCE [cmake options...]: configure, build and install one
# library unless its stamp says this version is in the prefix already.
# $targets and $components, when set, narrow what is built and installed;
# $empty_dirs (relative to the build folder) are made for an install that
# names folders the narrowed build did not make.
build() {
  local name=$1 src=$2
  shift 2
  local stamp="$prefix/.built-$(basename "$src")"
  [[ -f $stamp ]] && return 0
  echo "Cross-building $(basename "$src") (see $cache/build/$name.log)" >&2
  local dir=$cache/build/$name log=$cache/build/$name.log
  rm -rf "$dir"
  local build_targets=() install_steps=()
  for t in ${targets:-}; do build_targets+=(--target "$t"); done
  if [[ -n ${components:-} ]]; then
    for c in $components; do install_steps+=("--component $c"); done
  else
    install_steps=("")
  fi
  if ! cmake -G Ninja -S "$src" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$here/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" \
    "$@" >"$log" 2>&1 ||
    ! cmake --build "$dir" "${build_targets[@]}" >>"$log" 2>&1; then
    tail -40 "$log" >&2
    echo "FAILED: cross-building $name; the whole log is $log" >&2
    return 1
  fi
  for d in ${empty_dirs:-}; do mkdir -p "$dir/$d"; done
  for step in "${install_steps[@]}"; do
    # shellcheck disable=SC2086 # an empty step installs everything
    if ! cmake --install "$dir" $step >>"$log" 2>&1; then
      tail -40 "$log" >&2
      echo "FAILED: installing $name; the whole log is $log" >&2
      return 1
    fi
  done
  touch "$stamp"
}

# The header-only libraries are the same for every system: Debian's copies,
# with their CMake packages, go into the prefix where the cross build looks.
if [[ ! -f $prefix/.copied-header-libraries ]]; then
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  cp -a /usr/include/CLI /usr/include/nlohmann "$prefix/include/"
  cp -a /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
  touch "$prefix/.copied-header-libraries"
fi

# libxml2 reads the documents; GBK it gets from the program, which gives it
# a decoder of its own, so iconv is left out.
build libxml2 "$(source_dir libxml2)" \
  -DBUILD_SHARED_LIBS=ON -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF \
  -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF \
  -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_LEGACY=OFF

build libxlsxwriter "$(source_dir libxlsxwriter)" \
  -DBUILD_SHARED_LIBS=ON -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DUSE_SYSTEM_MINIZIP=OFF

# qpdf rewrites the PDF's character maps; it needs a JPEG library even
# though the program never asks it to decode an image.
build libjpeg-turbo "$(source_dir libjpeg-turbo)" \
  -DENABLE_SHARED=ON -DENABLE_STATIC=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
# rijndael.h uses uint32_t without <cstdint>, which MinGW's headers do not
# bring in by the way.
# Only the library: its command-line programs would copy MinGW's DLLs with
# a script that looks for them where Debian does not keep them.
targets=libqpdf components="dev lib" empty_dirs=qpdf/extra-dlls \
  build qpdf "$(source_dir qpdf)" -DCMAKE_CXX_FLAGS="-include cstdint" \
  -DBUILD_SHARED_LIBS=ON -DBUILD_STATIC_LIBS=OFF -DREQUIRE_CRYPTO_NATIVE=ON -DUSE_IMPLICIT_CRYPTO=OFF \
  -DBUILD_DOC=OFF -DINSTALL_EXAMPLES=OFF -DINSTALL_MANUAL=OFF

# GoogleTest from the source Debian installs with libgtest-dev.
build googletest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF

# Qt: the modules the programs and tests use, with the Linux build's Qt as
# the host tools (moc, rcc, uic). The Windows platform plugin includes the
# non-free wintab header that Debian's source leaves out, hence no tablet
# events; the plugin does not compile without OpenGL, which stays on and is
# chosen at run time.
build qt6-base "$(source_dir qt6-base)" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DINPUT_opengl=dynamic -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
  -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_opengl_widgets=OFF -DFEATURE_sql_sqlite=OFF

# What .ci/run looks for to know the libraries are built.
touch "$prefix/.complete"
