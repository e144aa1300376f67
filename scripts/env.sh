# Sourced by scripts/run and scripts/test: set-up, dependencies, configure.
set -euo pipefail
ORV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORV_BUILD=${ORV_BUILD:-$ORV_ROOT/build}
JOBS=${JOBS:-$(nproc)}
# the tests import helper modules from the source tree: leave no caches there
export PYTHONDONTWRITEBYTECODE=1

orv_prepare() {
  "$ORV_ROOT/scripts/setup"
  ORV_DEPS_PREFIX=$("$ORV_ROOT/scripts/build-deps")
  export ORV_DEPS_PREFIX
}

# orv_configure NAME [cmake args...]
orv_configure() {
  local name=$1; shift
  local dir="$ORV_BUILD/$name"
  if [ ! -f "$dir/build.ninja" ] || ! grep -q "ORV_DEPS_PREFIX:PATH=$ORV_DEPS_PREFIX\$" "$dir/CMakeCache.txt" 2>/dev/null; then
    cmake -S "$ORV_ROOT" -B "$dir" -G Ninja -DORV_DEPS_PREFIX="$ORV_DEPS_PREFIX" "$@" >/dev/null
  fi
}

orv_configure_win() { orv_configure win -DCMAKE_TOOLCHAIN_FILE="$ORV_ROOT/cmake/mingw-i686.cmake"; }
orv_configure_native() { orv_configure native -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++; }
orv_configure_fuzz() { orv_configure fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DORV_FUZZ=ON; }
