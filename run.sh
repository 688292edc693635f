#!/usr/bin/env bash
# Sets up what is missing, builds the Release build and starts the client.
# Arguments are passed to the client (a replay file plays the replay).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh
source scripts/ccache.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release ${CCACHE_ARGS[@]+"${CCACHE_ARGS[@]}"}
cmake --build build/release
exec build/release/bin/pldk "$@"
