#!/usr/bin/env bash
# Installs what is missing, then configures and builds the project:
#   build.sh            the program itself, 32-bit, into build/
#   build.sh x86_64     the same sources, 64-bit, into build/x64/
#   build.sh <arch> <target>...   only the targets named (and what they need)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
targets=("${@:2}")
case "$arch" in
    i686)   build=$repo/build;     wine_arch=win32 ;;
    x86_64) build=$repo/build/x64; wine_arch=win64 ;;
    *) echo "build.sh: unknown architecture '$arch' (i686 or x86_64)" >&2; exit 2 ;;
esac

bash "$repo/tools/setup.sh"

# Every checkout shares one compiler cache: paths below the checkout are
# hashed relative to it, so a fresh clone (CI's) rebuilds only what changed.
export CCACHE_BASEDIR=$repo CCACHE_NOHASHDIR=1
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$repo" -B "$build" -G Ninja \
          -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
echo "$wine_arch" > "$build/wine-arch"
if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$build" --target "${targets[@]}"
else
    cmake --build "$build"
fi
