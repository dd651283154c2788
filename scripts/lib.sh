# Shared by the scripts: where the build lives and how to configure and build it.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${VORLUNE_BUILD:-$ROOT/build}

vorlune_configure() {
  local extra=()
  [ "${CI:-}" = "true" ] && extra+=(-DVORLUNE_WERROR=ON)
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" "$@" >/dev/null
}

vorlune_build() {
  vorlune_configure "$@"
  cmake --build "$BUILD" --parallel "$(nproc)"
}
