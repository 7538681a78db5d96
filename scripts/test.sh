#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build in full, then the
# sanitizer build on the tests that feed damaged and unusual input to the readers, and on
# Dotweave's window tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
(cd build && ctest --output-on-failure --timeout 600 -j "$(nproc)")
scripts/build.sh asan
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure --timeout 900 -j "$(nproc)" -L "sanitize|dotweave")
