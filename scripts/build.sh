#!/usr/bin/env bash
# Configures (once) and builds the project into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
werror=OFF
if [[ "${CI:-}" == "true" ]]; then werror=ON; fi
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVO_WERROR=$werror
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build "$build" -j "$jobs" "$@"
