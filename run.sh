#!/usr/bin/env bash
# Installs what building and running the client needs (scripts/packages.txt)
# when it is missing, builds the client in Release (no tests, no benchmarks)
# and starts it on the start screen. Arguments are passed to the client, which
# knows one: --frames N quits after N engine frames.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh scripts/packages.txt
source scripts/ccache.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLDK_TESTS=OFF -DPLDK_BENCH=OFF \
    ${CCACHE_ARGS[@]+"${CCACHE_ARGS[@]}"}
cmake --build build/release
exec build/release/bin/pldk "$@"
