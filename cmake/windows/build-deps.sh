#!/usr/bin/env bash
# Builds SDL 1.2 and libmikmod for 64-bit Windows from Debian's source
# packages into DIR/prefix (static libraries and headers). Called by the
# Windows build when it is configured; does nothing once DIR/prefix is made
# by this same script.
#   bash cmake/windows/build-deps.sh DIR TOOLCHAIN_FILE
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 DIR TOOLCHAIN_FILE" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mkdir -p "$1"
dir=$(cd "$1" && pwd)
toolchain=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
triple=x86_64-w64-mingw32
prefix=$dir/prefix
jobs=${JOBS:-2}

# The prefix is good for as long as these files stay the same.
want=$(cat "$0" "$here/sdlmain-working-directory.patch" "$toolchain" | sha256sum | cut -c1-16)
if [ -f "$prefix/.made-by" ] && [ "$(cat "$prefix/.made-by")" = "$want" ]; then
  exit 0
fi
rm -rf "$prefix" "$dir/build"
mkdir -p "$dir/build"
log=$dir/build/log.txt
fail() {
  echo "build-deps: $1 (log: $log)" >&2
  tail -20 "$log" >&2 || true
  exit 1
}

cc=$triple-gcc-posix
command -v "$cc" >/dev/null || { echo "build-deps: $cc not found (g++-mingw-w64-x86-64-posix)" >&2; exit 1; }
launcher=()
command -v ccache >/dev/null && launcher=(ccache)

echo "build-deps: fetching Debian's sources" >&2
sdl_src=$(bash "$root/scripts/fetch-debian-source.sh" libsdl1.2 "$dir/src")
mikmod_src=$(bash "$root/scripts/fetch-debian-source.sh" libmikmod "$dir/src")

# SDL 1.2: the Windows (GDI and DirectDraw) video drivers, DirectSound and
# waveOut audio, the joystick through winmm, and SDLmain, whose start-up code sends standard output and
# standard error to "stdout.txt" and "stderr.txt". Debian's source puts
# them beside the program; ours go to the working directory, where the
# program reads and writes everything else.
echo "build-deps: SDL 1.2 (${sdl_src##*/})" >&2
cp -a "$sdl_src" "$dir/build/sdl-src"
patch -s -p1 -d "$dir/build/sdl-src" <"$here/sdlmain-working-directory.patch" >>"$log" 2>&1 ||
  fail "SDLmain patch does not apply"
mkdir -p "$dir/build/sdl"
(cd "$dir/build/sdl" &&
  ../sdl-src/configure --host=$triple --prefix="$prefix" CC="${launcher[*]} $cc" \
    --disable-shared --enable-static --disable-cdrom --disable-nasm \
    --enable-video-windib --enable-directx --enable-stdio-redirect &&
  make -j"$jobs" && make install) >>"$log" 2>&1 || fail "SDL 1.2 did not build"
for d in SDL_VIDEO_DRIVER_WINDIB SDL_AUDIO_DRIVER_DSOUND SDL_AUDIO_DRIVER_WAVEOUT SDL_JOYSTICK_WINMM; do
  grep -q "^#define $d 1" "$prefix/include/SDL/SDL_config.h" || fail "SDL 1.2 configured without $d"
done

# libmikmod: the static library with its DirectSound driver; the program
# registers that driver and the IT loader itself.
echo "build-deps: libmikmod (${mikmod_src##*/})" >&2
launch=()
[ ${#launcher[@]} -gt 0 ] && launch=(-DCMAKE_C_COMPILER_LAUNCHER=ccache)
(cmake -S "$mikmod_src" -B "$dir/build/mikmod" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release "${launch[@]}" -DENABLE_STATIC=1 -DENABLE_DSOUND=1 -DENABLE_MMSOUND=0 \
    -DENABLE_XAUDIO2=0 -DENABLE_OPENAL=0 -DENABLE_SDL=0 -DENABLE_AIFF=0 -DENABLE_WAV=0 -DENABLE_RAW=0 \
    -DENABLE_SIMD=0 -DENABLE_DOC=0 &&
  cmake --build "$dir/build/mikmod" -j"$jobs" --target mikmod-static) >>"$log" 2>&1 ||
  fail "libmikmod did not build"
grep -q "^#define DRV_DS 1" "$dir/build/mikmod/config.h" || fail "libmikmod configured without DirectSound"
install -m 644 "$dir/build/mikmod/libmikmod.a" "$prefix/lib/libmikmod.a"
install -m 644 "$mikmod_src/include/mikmod.h" "$prefix/include/mikmod.h"

# The licences travel with the programs.
mkdir -p "$prefix/licences"
cp "$sdl_src/COPYING" "$prefix/licences/SDL-1.2.txt"
cp "$mikmod_src/COPYING.LIB" "$prefix/licences/libmikmod.txt"
echo "$want" >"$prefix/.made-by"
echo "build-deps: done in $prefix" >&2
