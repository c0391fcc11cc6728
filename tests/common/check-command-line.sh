#!/bin/sh
# check-command-line.sh <program folder> <suite version>
#
# Each program answers --help and --version on standard output and exits 0, in a fresh
# HOME without a display: no window (Qt on X11 without DISPLAY would abort), no Config.ini,
# no camera library folders. A failed write to standard output is an error.
set -eu
bin=$1
version=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vexo-command-line.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# isolated <home> <program> <arguments...>: the program with every user folder in <home>.
isolated() {
  home=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u VEXOCAM_STATE_DIR -u VEXOCAM_DEVICE_DIR \
    -u VEXOCAM_CAMERAS -u VEXOCAM_BACKENDS \
    HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb \
    "$@"
}

for program in Prismora Addrwright Flashmere; do
  for option in --help -h --version; do
    home="$scratch/$program$option"
    mkdir "$home"
    status=0
    isolated "$home" "$bin/$program" -platform xcb "$option" >"$home.out" 2>"$home.err" ||
      status=$?
    [ "$status" -eq 0 ] || fail "$program $option exits with $status: $(cat "$home.err")"
    [ ! -s "$home.err" ] || fail "$program $option writes to stderr: $(cat "$home.err")"
    left=$(find "$home" -mindepth 1)
    [ -z "$left" ] || fail "$program $option leaves files behind: $left"
    case "$option" in
      --version)
        [ "$(cat "$home.out")" = "$program $version" ] ||
          fail "$program --version says '$(cat "$home.out")', not '$program $version'"
        ;;
      *)
        head -n 1 "$home.out" | grep -q "^Usage: $program " || fail "$program $option: no usage line"
        for variable in VEXOCAM_BACKENDS VEXOCAM_CAMERAS VEXOCAM_STATE_DIR XDG_DATA_HOME; do
          grep -q "^  $variable  " "$home.out" || fail "$program $option does not name $variable"
        done
        ;;
    esac
  done

  home="$scratch/$program-full"
  mkdir "$home"
  if isolated "$home" "$bin/$program" --version >/dev/full 2>"$home.err"; then
    fail "$program --version into a full device exits 0"
  fi
  grep -q "cannot write" "$home.err" || fail "$program says nothing when its output fails"
done

[ "$failures" -eq 0 ] || exit 1
echo "command line of Prismora, Addrwright and Flashmere: help and version on stdout, no files"
