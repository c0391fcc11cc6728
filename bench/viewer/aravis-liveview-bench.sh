#!/bin/sh
# Live view figures for a GenICam camera, side by side with Aravis' own viewer: Aravis'
# fake GigE camera sends 1920x1080 at 30 fps (Bayer and Mono8) and 1280x720 at 60 fps;
# one of our camera windows, then arv-viewer-0.8, shows it. For each: frames shown per
# second and process CPU time per shown frame over the same measuring time.
#
# Runs inside a network namespace that has only loopback (GigE discovery broadcasts on
# every interface and must not reach other hosts), under its own Xvfb display.
#
#   bench/viewer/aravis-liveview-bench.sh [build folder] [seconds] [rounds]
#
# The host's speed drifts between measurements, and each figure is taken at another time:
# rounds > 1 measures every set-up that many times in turn, so that a ratio is read from
# several pairs rather than one.
#
# arv-viewer needs gstreamer1.0-plugins-base, -bad and -gtk3; its shown frames are the
# buffers its video sink renders (GStreamer's basesink log). There is no window manager,
# so its window sits at the top left and is driven with xdotool; without xdotool only our
# figures are printed.
#
# arv-viewer is measured twice: in the window it opens with (650x561, which shows a
# 1280x720 frame at half size, a quarter of the pixels our window paints), and with its
# window enlarged so that its video area is our camera window's view (1280x728), which is
# the comparison at equal work on the screen.
#
# Our window is measured twice as well: with the pointer off it, and with the pointer over
# the lower half of the video, where the camera window's tool bar shows over the moving
# image (Qt or the direct display then also paints the tool bar for every frame). The
# X server runs with -noreset, so the pointer stays where it was put while no client is
# connected.
set -eu
build=$(cd "${1:-build}" && pwd)
seconds=${2:-20}
rounds=${3:-1}
exec unshare -n sh -s "$build" "$seconds" "$rounds" <<'INNER'
set -eu
build=$1
seconds=$2
rounds=$3
warmup=4
ip link set lo up
scratch=$(mktemp -d)
display=:$((60 + $$ % 200))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
arv-fake-gv-camera-0.8 -i 127.0.0.1 >/dev/null 2>&1 &
camera=$!
trap 'kill $camera $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
export DISPLAY=$display
sleep 1

# User and system CPU ticks of a process.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# arv_viewer [width height]: with a size, the window is made that large after it starts.
arv_viewer() {
  if ! command -v arv-viewer-0.8 >/dev/null || ! command -v xdotool >/dev/null; then
    echo "arv-viewer-0.8, own window    | not measured: arv-viewer-0.8 or xdotool missing"
    return
  fi
  log=$scratch/gst.log
  GST_DEBUG=basesink:5 GST_DEBUG_NO_COLOR=1 GST_DEBUG_FILE=$log arv-viewer-0.8 >/dev/null 2>&1 &
  viewer=$!
  sleep 3
  # The camera list: the in-process fake camera first, then the GigE camera; choosing it
  # lays the window out again, with the start button under the list.
  xdotool mousemove 160 116 click 1
  sleep 1
  xdotool mousemove 78 276 click 1
  label="arv-viewer-0.8, own window    "
  if [ $# -eq 2 ]; then
    window=$(xdotool search --pid $viewer 2>/dev/null | tail -1)
    [ -n "$window" ] && xdotool windowsize "$window" "$1" "$2"
    label="arv-viewer-0.8, our view size "
  fi
  sleep "$warmup"
  state=$(awk '{print $3}' "/proc/$viewer/stat" 2>/dev/null || true)
  if [ -z "$state" ] || [ "$state" = Z ]; then
    echo "$label| not measured: it exited (gstreamer1.0-plugins-base, -bad and -gtk3 installed?)"
    rm -f "$log"
    return
  fi
  hz=$(getconf CLK_TCK)
  shown0=$(grep -c 'rendering object' "$log" || true)
  cpu0=$(ticks $viewer)
  start=$(date +%s.%N)
  sleep "$seconds"
  shown1=$(grep -c 'rendering object' "$log" || true)
  cpu1=$(ticks $viewer)
  end=$(date +%s.%N)
  kill $viewer
  wait $viewer 2>/dev/null || true
  awk -v label="$label" -v s0="$shown0" -v s1="$shown1" -v c0="$cpu0" -v c1="$cpu1" -v hz="$hz" \
      -v t0="$start" -v t1="$end" 'BEGIN {
    n = s1 - s0; t = t1 - t0; cpu = (c1 - c0) / hz
    if (n <= 0) { print label "| showed nothing (could not start it)"; exit }
    printf "%s| shown %6.1f fps | process CPU %6.2f ms per shown frame | %5.0f %% of one core\n",
           label, n / t, 1000 * cpu / n, 100 * cpu / t }'
  rm -f "$log"
}

# prismora <label>: our camera window on the fake camera.
prismora() {
  VEXOCAM_BACKENDS=aravis "$build/bin/liveview_bench" --seconds "$seconds" --camera GV01 $mono 2>/dev/null |
    grep -v '^platform' | sed "s/^/Prismora, $(printf '%-20s' "$*") | /"
}

round=1
while [ "$round" -le "$rounds" ]; do
[ "$rounds" -gt 1 ] && echo "=== round $round of $rounds"
round=$((round + 1))
for setup in "1920 1080 30 BayerRG8" "1920 1080 30 Mono8" "1280 720 60 BayerRG8"; do
  set -- $setup
  arv-tool-0.8 control Width=$1 Height=$2 PixelFormat=$4 AcquisitionFrameRate=$3 >/dev/null
  echo "== fake GigE camera sending $1x$2 $4 at $3 fps (load $(cut -d' ' -f1-3 /proc/loadavg))"
  mono=
  [ "$4" = Mono8 ] && mono=--mono
  # Our window sits at the top left, 1280 wide, its video from y = 25 to 753.
  if command -v xdotool >/dev/null; then
    xdotool mousemove 1590 990
    prismora tool bar hidden
    xdotool mousemove 640 600
    prismora "tool bar shown"
  else
    prismora "pointer unknown"
  fi
  arv_viewer
  # 1280 + 10 of borders wide; 728 + 81 of header and status bar high: a 1280x728 video area.
  arv_viewer 1290 809
done
done
INNER
