#!/usr/bin/env bash
# Configures and builds one configuration: release (default) or asan.
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:-release}"
case "$kind" in
  release) dir=build;      flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan)    dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DDW_SANITIZE=ON -DDW_BUILD_BENCH=OFF) ;;
  *) echo "usage: $0 [release|asan]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
