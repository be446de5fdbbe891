#!/usr/bin/env bash
# Builds Vorn for the browser into build-web/ (Vorn.html, Vorn.js, Vorn.wasm)
# and serves it on 127.0.0.1, printing the address.
#   bash scripts/web.sh [--build-only] [--port N] [--assets-from NATIVE_BUILD_DIR]
# The embedded assets come from a native build of their generators
# (build-web/host, or a native build folder given), libmikmod from Debian's
# source package (build-web/src).
set -euo pipefail
cd "$(dirname "$0")/.."

build_only=0
port=0
host=build-web/host
while [ $# -gt 0 ]; do
  case "$1" in
    --build-only) build_only=1 ;;
    --port)
      [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]{1,5}$ ]] && [ "$2" -le 65535 ] || { echo "web.sh: --port takes a number up to 65535" >&2; exit 2; }
      port=$2; shift ;;
    --assets-from)
      [ $# -ge 2 ] && [ -f "$2/CMakeCache.txt" ] || { echo "web.sh: --assets-from takes a configured native build folder" >&2; exit 2; }
      host=$2; shift ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "web.sh: unknown option '$1' (see --help)" >&2; exit 2 ;;
  esac
  shift
done

bash scripts/install-deps.sh web
# Debian's emscripten finds its JavaScript modules only through NODE_PATH
# when the machine's node is another one.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
JOBS=${JOBS:-2}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

mikmod=$(bash scripts/fetch-debian-source.sh libmikmod build-web/src)

if [ "$host" = build-web/host ]; then
  cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF -DVORN_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$host" -j"$JOBS" --target vorn_assets
host=$(cd "$host" && pwd)

# Ninja when installed, for a new build folder (an old one keeps its own).
generator=()
if [ ! -f build-web/wasm/CMakeCache.txt ] && command -v ninja >/dev/null; then generator=(-GNinja); fi
emcmake cmake -S web -B build-web/wasm "${generator[@]}" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DVORN_GENERATED_DIR="$host/generated" -DMIKMOD_SOURCE_DIR="$mikmod" >/dev/null
cmake --build build-web/wasm -j"$JOBS"

# The page's three files side by side in build-web/, each put in place whole.
for f in Vorn.wasm Vorn.js Vorn.html; do
  cp build-web/wasm/$f build-web/.$f.part
  mv -f build-web/.$f.part build-web/$f
done
echo "web.sh: built $(cd build-web && pwd)/Vorn.html"

[ "$build_only" -eq 1 ] && exit 0
exec python3 web/serve.py build-web --port "$port"
