#!/usr/bin/env bash
# Builds an optimised Quillsift into build-bench/, writes the benchmark
# collection there and prints the table of the README's Performance section.
# Usage: ./scripts/benchmark.sh [--runs N] [--reuse] [--memory] [--only TEXT]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

qs_install_packages
cmake -S "$QS_ROOT" -B "$QS_ROOT/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLSIFT_TESTS=OFF >/dev/null
cmake --build "$QS_ROOT/build-bench" --parallel "$(nproc)" >/dev/null
exec "$QS_ROOT/build-bench/bin/quillsift-benchmark" --folder "$QS_ROOT/build-bench/collection" "$@"
