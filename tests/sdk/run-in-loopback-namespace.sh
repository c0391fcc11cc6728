#!/bin/sh
# Runs a command inside a new network namespace that has nothing but loopback, so GigE
# Vision discovery (a broadcast on every interface) cannot reach any other host. Exits
# 77, which CTest reports as skipped, where such a namespace cannot be made.
set -eu
if ! unshare -n true 2>/dev/null; then
  echo "SKIPPED: no loopback-only network namespace here (unshare -n is not permitted);" \
       "the GigE Vision tests need one and were not run."
  exit 77
fi
for tool in ip arv-fake-gv-camera-0.8 arv-tool-0.8; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is missing (packages iproute2, aravis-tools-cli); GigE Vision tests not run."
    exit 77
  fi
done
exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
