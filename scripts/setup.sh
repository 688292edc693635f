#!/usr/bin/env bash
# Installs the Debian packages of the given lists (scripts/packages.txt when
# none is given) that are missing. apt-get runs only when something is missing,
# and `apt-get update` at most once.
#
# The test list brings proxy servers (dante, tinyproxy, microsocks) that the
# tests start on their own ports. Installing them must not leave them running
# or enabled as system services: start scripts are held off while apt runs,
# and the services a list names for a package it installs ("pkg  # service
# NAME") are disabled afterwards.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
lists=("$@")
[ ${#lists[@]} -gt 0 ] || lists=("$here/packages.txt")

missing=()
services=()  # the system services of the missing packages ("# service NAME")
for list in "${lists[@]}"; do
    while read -r line; do
        pkg="${line%%#*}"; pkg="${pkg//[[:space:]]/}"
        [ -n "$pkg" ] || continue
        if ! dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed'; then
            missing+=("$pkg")
            if [[ "$line" =~ \#[[:space:]]*service[[:space:]]+([A-Za-z0-9_.-]+) ]]; then
                services+=("${BASH_REMATCH[1]}")
            fi
        fi
    done < "$list"
done
[ ${#missing[@]} -gt 0 ] || exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
# Services from packages must not start themselves at install.
if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' > /tmp/policy-rc.d.$$ && chmod +x /tmp/policy-rc.d.$$
    "${sudo_cmd[@]}" cp /tmp/policy-rc.d.$$ /usr/sbin/policy-rc.d
    rm -f /tmp/policy-rc.d.$$
    trap '"${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d' EXIT
fi
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

# Nor stay enabled for the next boot.
for service in ${services[@]+"${services[@]}"}; do
    if command -v systemctl >/dev/null 2>&1 && systemctl --quiet is-enabled "$service" 2>/dev/null; then
        "${sudo_cmd[@]}" systemctl --quiet disable "$service" 2>/dev/null || true
    fi
    if ls /etc/rc[2-5].d/S*"$service" >/dev/null 2>&1; then
        "${sudo_cmd[@]}" update-rc.d "$service" disable >/dev/null 2>&1 || true
    fi
done
