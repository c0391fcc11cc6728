#!/bin/sh
# Installs the Debian packages the suite needs to build, run and test, and nothing when
# they are all present already.
set -eu

# libx11-dev and libxext-dev build the camera window's direct path to an X server; xvfb
# gives its test an X server of its own.
# fonts-noto-cjk and qttranslations5-l10n are needed at run time: the Chinese interface
# draws with the CJK font, and Qt's own texts (file dialogs, standard buttons) come from
# Qt's qtbase_zh_CN catalogue.
packages="build-essential cmake pkg-config
  qtbase5-dev qttools5-dev qttools5-dev-tools
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libpng-dev libjpeg62-turbo-dev libtiff-dev nlohmann-json3-dev libbenchmark-dev
  libx11-dev libxext-dev xvfb
  fonts-noto-cjk qttranslations5-l10n
  libaravis-dev libusb-1.0-0-dev libudev-dev aravis-tools-cli aravis-tools iproute2
  dpkg-dev file appstream desktop-file-utils lintian"
# Extra packages a caller needs (for example xvfb to run the viewer without a display).
packages="$packages ${VEXO_EXTRA_PACKAGES:-}"

missing=""
for p in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $p" ;;
  esac
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
