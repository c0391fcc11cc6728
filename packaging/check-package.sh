#!/bin/sh
# check-package.sh <build folder> <source folder> <version> <program folder> <AppStream id>
#
# Builds the Debian package of a finished build with CPack in a scratch folder and checks
# it as apt and a software centre would see it: its fields and dependencies, the files it
# installs (and that it installs nothing outside /usr, nothing enabled in /etc), that the
# programs run from the unpacked tree and carry the package's version, the AppStream entry
# and the desktop entries; lintian's errors fail it too.
set -eu
build=$1
source=$2
version=$3
programdir=$4 # relative to /usr, for example lib/vexo-suite
appstream_id=$5

for tool in cpack dpkg-deb dpkg appstreamcli desktop-file-validate lintian; do
  command -v "$tool" >/dev/null ||
    { echo "FAIL: $tool is missing; scripts/install-deps.sh installs it" >&2; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vexo-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
deb="$scratch/out/vexo-suite_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$scratch/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) kB"

# Fields.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = vexo-suite ] || fail "package name is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "package version is '$(field Version)', not $version"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
[ -n "$(field Description)" ] || fail "no description"
depends=$(field Depends)
echo "depends: $depends"
for wanted in fonts-noto-cjk qttranslations5-l10n libqt5widgets5 libqt5network5 libavcodec libavformat libswscale libtiff libc6; do
  case ", $depends" in
    *", $wanted"*) ;;
    *) fail "Depends lacks $wanted" ;;
  esac
done
case "$depends" in
  *VexoCamera* | *vexo*) fail "Depends names the package's own camera library" ;;
esac

# Files.
dpkg-deb --contents "$deb" >"$scratch/contents"
sed 's/.* \.\//\//; s/ -> .*//' "$scratch/contents" >"$scratch/paths"
prog="/usr/$programdir"
for path in \
  /usr/bin/Prismora /usr/bin/Addrwright /usr/bin/Flashmere /usr/bin/vexocam-sim \
  "$prog/Prismora" "$prog/Addrwright" "$prog/Flashmere" "$prog/vexocam-sim" \
  "$prog/libVexoCameraDLL.so.1" \
  "$prog/VexoCam_zh_CN.qm" "$prog/VexoCam_en_CN.qm" "$prog/Addrwright_zh_CN.qm" \
  "$prog/Addrwright_en_CN.qm" "$prog/Flashmere_zh_CN.qm" "$prog/Flashmere_en_CN.qm" \
  "$prog/软件使用说明书.pdf" \
  /usr/share/doc/vexo-suite/copyright /usr/share/doc/vexo-suite/软件使用说明书.pdf \
  /usr/share/doc/vexo-suite/examples/60-vexo-gige-buffers.conf \
  /usr/share/applications/Prismora.desktop /usr/share/applications/Addrwright.desktop \
  /usr/share/applications/Flashmere.desktop \
  /usr/share/icons/hicolor/256x256/apps/Prismora.png \
  /usr/share/icons/hicolor/256x256/apps/Addrwright.png \
  /usr/share/icons/hicolor/256x256/apps/Flashmere.png \
  "/usr/share/metainfo/$appstream_id.metainfo.xml" \
  /usr/lib/udev/rules.d/70-vexo-usb3vision.rules; do
  grep -qxF "$path" "$scratch/paths" || fail "the package lacks $path"
done
outside=$(grep -v '^/usr/' "$scratch/paths" | grep -vx '/' || true)
[ -z "$outside" ] || fail "files outside /usr (nothing may be enabled in /etc): $outside"
stray=$(grep -E '/(tst_[^/]*|manualgen|[^/]*bench[^/]*|[^/]*\.a)$' "$scratch/paths" || true)
[ -z "$stray" ] || fail "build tools or tests in the package: $stray"

# uaccess is turned into an access rule by 73-seat-late.rules: the tag must come first.
for rule in $(grep '^/usr/lib/udev/rules.d/' "$scratch/paths" | grep '\.rules$'); do
  number=$(basename "$rule" | cut -d- -f1)
  [ "$number" -lt 73 ] || fail "$rule runs after 73-seat-late.rules"
done

# The unpacked programs find their library and answer with the package's version.
dpkg-deb -x "$deb" "$scratch/root"
for program in Prismora Addrwright Flashmere; do
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/data" \
    "$scratch/root/usr/bin/$program" --version 2>&1) || fail "unpacked $program --version fails: $answer"
  [ "$answer" = "$program $version" ] || fail "unpacked $program says '$answer'"
done
[ ! -e "$scratch/home" ] || fail "--version of the unpacked programs left files in HOME"

# Desktop entries start programs the package installs.
for entry in "$scratch"/root/usr/share/applications/*.desktop; do
  desktop-file-validate "$entry" || fail "$(basename "$entry") is not a valid desktop entry"
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$scratch/root/usr/bin/$exec" ] || fail "$(basename "$entry") starts '$exec', not in /usr/bin"
done

# The AppStream entry as shipped, and as it is once a screenshot address is configured.
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/$appstream_id.metainfo.xml" ||
  fail "the AppStream entry does not validate"
cmake -DTEMPLATE="$source/resources/desktop/Prismora.metainfo.xml.in" \
  -DOUTPUT="$scratch/with-screenshot.metainfo.xml" -DID="$appstream_id" \
  -DSCREENSHOT_BASE_URL="https://camera-suite.test/screenshots/" \
  -P "$source/resources/desktop/RenderMetainfo.cmake"
grep -q "<image>https://camera-suite.test/screenshots/Prismora.png</image>" \
  "$scratch/with-screenshot.metainfo.xml" || fail "the screenshot address is not in the entry"
[ -f "$source/resources/screenshots/Prismora.png" ] || fail "no resources/screenshots/Prismora.png"
appstreamcli validate --no-net "$scratch/with-screenshot.metainfo.xml" ||
  fail "the AppStream entry with a screenshot does not validate"

# Errors only; warnings are for people to read.
if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1; then
  fail "lintian reports errors"
fi
cat "$scratch/lintian.log"

[ "$failures" -eq 0 ] || exit 1
echo "package vexo-suite $version: fields, files, programs, desktop and AppStream entries checked"
