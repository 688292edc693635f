#!/usr/bin/env bash
# Sets up what is missing (the client's packages and the test tools), builds
# the Debug build under AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test through ctest (the layering check among them); then builds
# the libFuzzer targets with clang and gives each a short run, and runs the
# client's and the panel's tests once more in that clang build. Benchmarks are
# built only in a Release build (-DPLDK_BENCH=ON), never here.
# PLDK_SKIP_FUZZ=1 skips the fuzz build (for quick local runs).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh scripts/packages.txt scripts/packages-test.txt
source scripts/ccache.sh
jobs="$(nproc)"

cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLDK_SANITIZE=ON -DPLDK_BENCH=OFF \
    ${CCACHE_ARGS[@]+"${CCACHE_ARGS[@]}"} >/dev/null
cmake --build build/debug

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
ctest --test-dir build/debug --output-on-failure -j "$jobs" --timeout 300

if [ "${PLDK_SKIP_FUZZ:-0}" != 1 ]; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DPLDK_FUZZ=ON -DPLDK_FUZZ_ONLY=ON \
        ${CCACHE_ARGS[@]+"${CCACHE_ARGS[@]}"} >/dev/null
    # The clang build also runs the tests of the program's texts (client and
    # panel), whose literals there come from cmake/gbk-literals.py.
    cmake --build build/fuzz --target fuzzers foundation_tests client_tests client_panel_tests
    ctest --test-dir build/fuzz --output-on-failure -j "$jobs" --timeout 300
fi
