#!/usr/bin/env bash
# Builds everything, creates a fresh simulated iPhone OS 3.1.3 device with Vigilant installed,
# boots it, shows its state and streams its event log until you press Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then scripts/bootstrap.sh; else sudo scripts/bootstrap.sh; fi
cmake --preset default >/dev/null
cmake --build --preset default
simctl=build/default/bin/simctl
device=$(mktemp -d /tmp/vigilant-device.XXXXXX)
cleanup() { "$simctl" shutdown "$device" >/dev/null 2>&1 || true; rm -rf "$device"; }
trap cleanup EXIT INT TERM
"$simctl" create "$device" --version 3.1.3
"$simctl" install "$device" build/default/Vigilant.deb
"$simctl" boot "$device" --time "$(date -u '+%Y-%m-%d') 21:59:00" --rate 20 --idle-sleep 30
echo "== device at $device"
"$simctl" status "$device"
"$simctl" spawn "$device" /bin/launchctl load -w /System/Library/LaunchDaemons/com.quillmoor.vigilantpro.plist || true
echo "== event log (Ctrl-C to stop)"
"$simctl" log "$device" --follow
