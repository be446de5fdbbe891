#!/usr/bin/env bash
# Installs Debian packages: `run` (the default) what building and running
# the presentation need; `windows` and `web` those plus the cross compiler
# of the Windows programs or of the browser build; `test` all of these plus
# the test and benchmark tools. Used by run.sh (run), windows-zip.sh
# (windows), web.sh (web), test.sh and CI (test); does nothing when all is
# there.
set -euo pipefail
what=${1:-run}

# Building and running: compiler, SDL 1.2, libmikmod, libpng for the
# window's screenshots, and FreeType with the typeface the text font is
# generated from.
RUN_PKGS=(cmake g++ make pkg-config libsdl1.2-dev libmikmod-dev libpng-dev libfreetype-dev fonts-dejavu-core)
# The Windows programs: the MinGW-w64 cross compiler, and what building
# SDL 1.2 and libmikmod from Debian's sources and packing the zip take.
WINDOWS_PKGS=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix zip patch dpkg-dev)
# The browser build's compiler.
WEB_PKGS=(emscripten)
# Testing: Ninja and lld for CI's builds, unit tests, benchmarks, the headless
# window and picture/sound checks, the second core's emulator and cross
# assembler, FFmpeg's libraries for vorn-capture's video files and
# ffmpeg/ffprobe to check them, the browser that checks the browser build,
# Wine to run the Windows programs.
TEST_PKGS=(ninja-build lld libgtest-dev libbenchmark-dev xvfb xauth xdotool imagemagick sox openmpt123 xmp
           python3 python3-pil clang binutils-arm-none-eabi libunicorn-dev
           libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
           chromium wine64)

case "$what" in
  run)     PKGS=("${RUN_PKGS[@]}") ;;
  windows) PKGS=("${RUN_PKGS[@]}" "${WINDOWS_PKGS[@]}") ;;
  web)     PKGS=("${RUN_PKGS[@]}" "${WEB_PKGS[@]}") ;;
  test)    PKGS=("${RUN_PKGS[@]}" "${WINDOWS_PKGS[@]}" "${WEB_PKGS[@]}" "${TEST_PKGS[@]}") ;;
  *)       echo "usage: $0 [run|windows|web|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=()
  [ "$(id -u)" -ne 0 ] && SUDO=(sudo)
  APT=(apt-get -o DPkg::Lock::Timeout=900)
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive "${APT[@]}" update -qq
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive "${APT[@]}" install -y -qq "${missing[@]}"
fi
