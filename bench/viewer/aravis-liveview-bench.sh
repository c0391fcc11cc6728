#!/bin/sh
# Live view figures for a GenICam camera: one camera window on Aravis' fake GigE camera
# at 1920x1080 30 fps (Bayer and Mono8) and 1280x720 60 fps, inside a network namespace
# that has only loopback (GigE discovery must not reach other hosts), under Xvfb.
#
#   bench/viewer/aravis-liveview-bench.sh [build folder] [seconds]
set -eu
build=$(cd "${1:-build}" && pwd)
seconds=${2:-20}
exec unshare -n sh -s "$build" "$seconds" <<'INNER'
set -eu
build=$1
seconds=$2
ip link set lo up
arv-fake-gv-camera-0.8 -i 127.0.0.1 >/dev/null 2>&1 &
camera=$!
trap 'kill $camera' EXIT
sleep 1
for setup in "1920 1080 30 BayerRG8" "1920 1080 30 Mono8" "1280 720 60 BayerRG8"; do
  set -- $setup
  arv-tool-0.8 control Width=$1 Height=$2 PixelFormat=$4 AcquisitionFrameRate=$3 >/dev/null
  echo "== fake GigE camera sending $1x$2 $4 at $3 fps"
  VEXOCAM_BACKENDS=aravis xvfb-run -a -s '-screen 0 1600x1000x24' \
    "$build/bin/liveview_bench" --seconds "$seconds" --camera GV01 2>/dev/null | grep -v '^platform'
done
INNER
