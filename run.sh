#!/bin/sh
# Installs what is missing, builds, and starts the viewer on the simulated cameras.
set -eu
cd "$(dirname "$0")"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  VEXO_EXTRA_PACKAGES="xvfb xauth" ./scripts/install-deps.sh
else
  ./scripts/install-deps.sh
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target Prismora Addrwright Flashmere vexocam-sim
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the viewer on a virtual X display (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1600x1000x24" build/bin/Prismora "$@"
fi
exec build/bin/Prismora "$@"
