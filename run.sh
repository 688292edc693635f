#!/usr/bin/env bash
# Installs what building and running the client needs (scripts/packages.txt)
# when it is missing and builds the client and the stand-in hall and server in
# Release (no tests, no benchmarks). Then:
#   ./run.sh                 the stand-in game server on a free loopback port and
#                            the client started through the stand-in hall: a table
#                            with three computer players; the first round deals by
#                            itself, each next one when the player starts it (the
#                            start button or the result box's continue). The peers
#                            stop when the client ends.
#   ./run.sh FILE.qvrep      plays the replay in the client (stand-alone replay mode).
#   ./run.sh --local-test    the client alone with four placeholder players.
# Other arguments go to the client as they are (--frames N quits after N frames).
# The peers' logs and the replays of the rounds played are named on exit.
set -euo pipefail
# Files named on the command line are the caller's: made absolute before the cd.
args=()
for arg in "$@"; do
    if [ -f "$arg" ]; then args+=("$(realpath "$arg")"); else args+=("$arg"); fi
done
set -- ${args[@]+"${args[@]}"}
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh scripts/packages.txt
source scripts/ccache.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLDK_TESTS=OFF -DPLDK_BENCH=OFF \
    ${CCACHE_ARGS[@]+"${CCACHE_ARGS[@]}"}
cmake --build build/release
bin="$PWD/build/release/bin"
if [ $# -gt 0 ]; then
    exec "$bin/pldk" "$@"
fi

logs="$PWD/build/release/run"
mkdir -p "$logs"
: >"$logs/server.log"
: >"$logs/hall.log"
server=""
hall=""
stop_peers() {
    if [ -n "$hall" ] && kill -0 "$hall" 2>/dev/null; then
        kill -TERM "$hall" 2>/dev/null || true # the hall closes its window; the client ends by itself
        wait "$hall" 2>/dev/null || true
    fi
    if [ -n "$server" ] && kill -0 "$server" 2>/dev/null; then
        kill -TERM "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
}
trap stop_peers EXIT
trap 'exit 130' INT TERM

# The first round deals three seconds after the log-on (or at the start
# button); each next one waits for the player's start, as a table does.
"$bin/pldk_server" --port 0 --log "$logs/server.log" --record 1 --start-after-ms 3000 &
server=$!
port=""
for _ in $(seq 1 100); do
    port="$(sed -n 's/^listening \([0-9]*\)$/\1/p' "$logs/server.log")"
    [ -n "$port" ] && break
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "run.sh: the stand-in game server did not start (see $logs/server.log)" >&2
    exit 1
fi
# A day is the longest the hall waits for the client.
"$bin/pldk_hall" --client "$bin/pldk" --port "$port" --timeout-ms 86400000 --log "$logs/hall.log" &
hall=$!
status=0
wait "$hall" || status=$?
hall=""
echo "run.sh: the client ended ($status); logs: $logs/server.log, $logs/hall.log"
sed -n 's/^replay saved /run.sh: replay saved: /p' "$logs/server.log"
exit "$status"
