#!/usr/bin/env bash
# A longer run of one fuzz target: scripts/fuzz.sh TARGET SECONDS
# (TARGET: d64 d71 d81 t64 pc64 crt sid g64 tap midi). Builds the fuzz program
# in build-fuzz as scripts/test.sh does (needs clang) and runs the target on
# its corpus, build-fuzz/fuzz/corpus/TARGET, which keeps what the run finds.
# A crash leaves its input in build-fuzz/fuzz/; replay it with
#   QS_FUZZ_TARGET=TARGET build-fuzz/fuzz/fuzz_targets CRASH-FILE
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ $# -ne 2 ]; then
    echo "usage: scripts/fuzz.sh TARGET SECONDS" >&2
    exit 2
fi
target="$1"
seconds="$2"

qs_install_packages
build="$QS_ROOT/build-fuzz"
cmake -S "$QS_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${QS_FUZZ_CMAKE_ARGS[@]}"
cmake --build "$build" --target fuzz_targets --parallel "$(nproc)"

cd "$build/fuzz"
QS_FUZZ_TARGET="$target" exec ./fuzz_targets "corpus/$target" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
