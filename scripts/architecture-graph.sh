#!/usr/bin/env bash
# Draws the libraries and programs with their link dependencies into
# docs/architecture.png (needs graphviz's dot). Usage: architecture-graph.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
GV=$(mktemp -d)
trap 'rm -rf "$GV" "$BUILD/CMakeGraphVizOptions.cmake"' EXIT
# Only our own libraries and the programs: tests, benchmarks, generators and
# system libraries would bury the picture.
cat > "$BUILD/CMakeGraphVizOptions.cmake" <<'OPT'
set(GRAPHVIZ_GRAPH_NAME "Vorn")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "_test$;_tests$;_bench$;^vorn_embed$;_gen$;^vorn-gp2x-snap$;_tsan$;^gen_;^vorn_gen")
OPT
(cd "$BUILD" && cmake --graphviz="$GV/vorn.dot" . > /dev/null)
dot -Tpng -o docs/architecture.png.tmp "$GV/vorn.dot"
mv docs/architecture.png.tmp docs/architecture.png
echo "docs/architecture.png"
