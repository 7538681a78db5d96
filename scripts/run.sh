#!/usr/bin/env bash
# Installs what is missing, builds and starts the program. Until the main window exists this renders
# the bundled sample with the command-line tool and says where the picture is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
if [ -x build/dotweave/Dotweave ]; then
  exec build/dotweave/Dotweave "$@"
fi
out="${TMPDIR:-/tmp}/dotweave-sample.png"
build/cli/dotweave-cli/dotweave-cli render assets/samples/sphere_ring.bmp -o "$out" \
  --config assets/samples/Dotweave.cfg --set Randm=1
echo "The window is not built yet; a sample stereogram was written to $out"
