#!/usr/bin/env bash
# Installs what is missing, builds and starts Dotweave. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start it from a desktop session, or under a virtual one with" >&2
  echo "  xvfb-run -a build/dotweave/Dotweave" >&2
  echo "Without a window, build/cli/dotweave-cli/dotweave-cli renders stereograms (see README.md)." >&2
  exit 1
fi
exec build/dotweave/Dotweave "$@"
