#!/bin/sh
# Runs one test program with its own, empty user folders, so no test ever reads or
# writes the real user's settings, camera state or device nodes.
set -eu
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vexo-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM
mkdir -p "$scratch/home" "$scratch/data" "$scratch/config" "$scratch/runtime" "$scratch/cache"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home"
export XDG_DATA_HOME="$scratch/data"
export XDG_CONFIG_HOME="$scratch/config"
export XDG_CACHE_HOME="$scratch/cache"
export XDG_RUNTIME_DIR="$scratch/runtime"
export VEXOCAM_STATE_DIR="$scratch/camera-state"
export VEXOCAM_DEVICE_DIR="$scratch/runtime/vexocam"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
unset VEXOCAM_CAMERAS
# Simulated cameras only, unless the test names its backends: a user's VEXOCAM_BACKENDS
# must never make a test look for real cameras on the network.
if [ -n "${VEXO_TEST_BACKENDS:-}" ]; then
  export VEXOCAM_BACKENDS="$VEXO_TEST_BACKENDS"
else
  unset VEXOCAM_BACKENDS
fi
"$@"
