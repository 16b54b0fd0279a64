#!/usr/bin/env bash
# The extraction benchmark in one command: installs what it compares against,
# builds the optimised host build and runs bench/extraction_bench.
# Usage: bench/extraction.sh [extraction_bench options, see --help]
# BENCH_BUILD_DIR names another build folder of the host-release preset.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh tar gzip time zip unzip p7zip-full

build_dir=${BENCH_BUILD_DIR:-build/host-release}
cmake --preset host-release -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target extraction_bench -j2 >/dev/null
exec "$build_dir/bench/extraction_bench" --disk "$build_dir" "$@"
