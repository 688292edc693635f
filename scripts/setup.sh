#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt that are missing.
# apt-get runs only when something is missing, and `apt-get update` at most once.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
missing=()
while read -r pkg; do
    pkg="${pkg%%#*}"; pkg="${pkg//[[:space:]]/}"
    [ -n "$pkg" ] || continue
    if ! dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed'; then
        missing+=("$pkg")
    fi
done < "$here/packages.txt"
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    # Services from packages (proxies, FTP) must not start themselves at install.
    printf '#!/bin/sh\nexit 101\n' > /tmp/policy-rc.d.$$ && chmod +x /tmp/policy-rc.d.$$
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        "${sudo_cmd[@]}" cp /tmp/policy-rc.d.$$ /usr/sbin/policy-rc.d
        trap '"${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d' EXIT
    fi
    rm -f /tmp/policy-rc.d.$$
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
