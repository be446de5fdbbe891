#!/usr/bin/env bash
# Cross-builds Vorn for 64-bit Windows and packs build-windows/Vorn-windows-x64.zip:
# Vorn.exe, vorn-capture.exe, the licences of SDL 1.2 and libmikmod, and a
# read-me. SDL 1.2 and libmikmod are compiled from Debian's source packages
# (fetched into build-windows/windows-deps/ once) as part of the build; the
# asset generators run in a native build in build-windows/host/.
#   bash scripts/windows-zip.sh [--host-build NATIVE_BUILD]
# --host-build takes the assets from an existing native build folder instead.
set -euo pipefail
cd "$(dirname "$0")/.."
host=()
if [ $# -eq 2 ] && [ "$1" = --host-build ] && [ -f "$2/CMakeCache.txt" ]; then
  host=(-DVORN_HOST_BUILD="$(realpath "$2")")
elif [ $# -ne 0 ]; then
  echo "usage: $0 [--host-build NATIVE_BUILD_FOLDER]" >&2
  exit 2
fi

bash scripts/install-deps.sh windows

JOBS=${JOBS:-$(nproc)}
out=build-windows
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Ninja when installed, for a new build folder (an old one keeps its own).
generator=()
if [ ! -f "$out/CMakeCache.txt" ] && command -v ninja >/dev/null; then generator=(-GNinja); fi
start=$(date +%s)
cmake -S . -B "$out" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF -DVORN_BENCH=OFF "${launcher[@]}" "${host[@]}" >/dev/null
cmake --build "$out" -j"$JOBS" --target Vorn.exe vorn-capture
echo "windows-zip: built in $(($(date +%s) - start)) s"

# The zip is made under a temporary name and put in place whole.
stage=$(mktemp -d)
trap 'rm -rf "$stage" "$out/.Vorn-windows-x64.zip.part"' EXIT
mkdir "$stage/Vorn"
cp "$out/Vorn.exe" "$out/vorn-capture.exe" "$stage/Vorn/"
x86_64-w64-mingw32-strip "$stage/Vorn/Vorn.exe" "$stage/Vorn/vorn-capture.exe"
mkdir "$stage/Vorn/licences"
cp "$out"/windows-deps/licences/* "$stage/Vorn/licences/"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/Vorn/licences/MinGW-w64 runtime.txt" 2>/dev/null ||
  true
sed 's/$/\r/' cmake/windows/README-windows.txt >"$stage/Vorn/README.txt"
rm -f "$out/.Vorn-windows-x64.zip.part"
(cd "$stage" && zip -q -X -r - Vorn) >"$out/.Vorn-windows-x64.zip.part"
mv -f "$out/.Vorn-windows-x64.zip.part" "$out/Vorn-windows-x64.zip"
echo "windows-zip: $(realpath "$out/Vorn-windows-x64.zip") ($(stat -c %s "$out/Vorn-windows-x64.zip") bytes)"
