#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through ctest:
# once in a normal build with warnings as errors, once under AddressSanitizer
# and UBSan, and a short bounded run of every fuzz target.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

qs_install_packages

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

echo "== Build and test =="
qs_build "$QS_ROOT/build" -DQUILLSIFT_WERROR=ON
ctest --test-dir "$QS_ROOT/build" --output-on-failure -j "$jobs" -LE fuzz

echo "== AddressSanitizer + UBSan =="
qs_build "$QS_ROOT/build-asan" -DQUILLSIFT_WERROR=ON -DQUILLSIFT_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$QS_ROOT/build-asan" --output-on-failure -j "$jobs" -LE fuzz

echo "== Fuzz targets (short bounded runs) =="
qs_build "$QS_ROOT/build-fuzz" "${QS_FUZZ_CMAKE_ARGS[@]}"
ctest --test-dir "$QS_ROOT/build-fuzz" --output-on-failure -j "$jobs" -L fuzz
