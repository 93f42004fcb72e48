#!/usr/bin/env bash
# Builds everything, then shows the guard at work on a fresh simulated iPhone OS 3.1.3 device:
# Vigilant installed, a daily window from 22:00 to 22:30, the device booted at 21:59 with its
# clock ten times as fast, the guard loaded through launchctl, and the device's event log
# streaming until you press Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then scripts/bootstrap.sh; else sudo scripts/bootstrap.sh; fi
cmake --preset default >/dev/null
cmake --build --preset default
simctl=build/default/bin/simctl
device=$(mktemp -d /tmp/vigilant-device.XXXXXX)
cleanup() { "$simctl" shutdown "$device" >/dev/null 2>&1 || true; rm -rf "$device"; }
trap cleanup EXIT INT TERM
domain=com.quillmoor.vigilantpro
"$simctl" create "$device" --version 3.1.3
"$simctl" install "$device" build/default/Vigilant.deb
"$simctl" defaults "$device" write "$domain" Schedule -bool true
"$simctl" defaults "$device" write "$domain" ScheduleStart -int 1320   # 22:00
"$simctl" defaults "$device" write "$domain" ScheduleEnd -int 1350     # 22:30
"$simctl" boot "$device" --time "$(date -u '+%Y-%m-%d') 21:59:00" --rate 10 --idle-sleep 20
"$simctl" spawn "$device" /bin/launchctl load -w /System/Library/LaunchDaemons/$domain.plist
echo "== device at $device"
"$simctl" status "$device"
echo "== event log (Ctrl-C to stop)"
"$simctl" log "$device" --follow
