#!/usr/bin/env bash
# Builds what the demo runs, makes a fresh simulated iPhone OS 3.1.3 device with Vigilant
# installed, in the host's own time zone (UTC when it cannot tell), off the charger with its
# battery at VIGILANT_DEMO_BATTERY percent (default 80), and boots it with a fast clock; every
# time it names is the device's local time.
# - With a display: boots at 21:55 with the clock 10 times as fast and opens the control app
#   on the device, the event log streaming in this terminal, until Ctrl-C or the app is closed;
#   `simctl battery DEVICE --plug` (the command it prints) puts the phone on the charger.
# - Without one: boots at 21:00 with the clock 200 times as fast and plays the typical road
#   through the app's widgets (guard on, daily window 22:00-06:00, Spare Battery at 30 %),
#   waits for the window to end, prints a timeline (with the battery where the guard takes
#   hold and lets go) and writes screenshots (the main screen in the morning last) and a
#   picture of the night, the battery's too, into the folder it names (argument 1, default a
#   new temporary folder).
# VIGILANT_DEMO_HEADLESS=1 plays the road even with a display; VIGILANT_DEMO_NO_BUILD=1 uses
# the build in build/default (or VIGILANT_DEMO_BUILD) as it is.
set -euo pipefail
if [ "${1:-}" = --help ]; then sed -n '2,15s/^# \{0,1\}//p' "$0"; exit 0; fi
cd "$(dirname "$0")/.."
# The night runs on the battery: the phone's own rates drain a guarded night by about a quarter,
# plain to see in the picture of the night at any clock rate.
battery=${VIGILANT_DEMO_BATTERY:-80}
if ! [[ $battery =~ ^[0-9]{1,3}$ ]] || [ "$battery" -lt 1 ] || [ "$battery" -gt 100 ]; then
  echo "demo: VIGILANT_DEMO_BATTERY is a percent from 1 to 100, not $battery" >&2; exit 64
fi
if [ -z "${VIGILANT_DEMO_NO_BUILD:-}" ]; then
  if [ "$(id -u)" -eq 0 ]; then scripts/bootstrap.sh; else sudo scripts/bootstrap.sh; fi
  cmake --preset default >/dev/null
  # The device, the package and the demo's tools, not the test suite.
  cmake --build --preset default --target demo
fi
build=${VIGILANT_DEMO_BUILD:-build/default}
simctl=$build/bin/simctl
uictl=$build/bin/uictl
work=$(mktemp -d /tmp/vigilant-demo.XXXXXX)
device=$work/device
socket=$work/ui.sock
cleanup() { "$simctl" shutdown "$device" >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
trap 'exit 130' INT TERM
# The host's zone: Debian's /etc/timezone, else what /etc/localtime links to, else systemd's.
host_zone() {
  local zone=
  [ -r /etc/timezone ] && zone=$(head -n 1 /etc/timezone | tr -d '[:space:]')
  if [ -z "$zone" ] && [ -L /etc/localtime ]; then
    zone=$(readlink -f /etc/localtime)
    case $zone in */zoneinfo/*) zone=${zone#*/zoneinfo/} ;; *) zone= ;; esac
  fi
  if [ -z "$zone" ] && command -v timedatectl >/dev/null; then
    zone=$(timedatectl show --property=Timezone --value 2>/dev/null || true)
  fi
  echo "${zone:-UTC}"
}
zone=$(host_zone)
if ! "$simctl" create "$device" --version 3.1.3 --timezone "$zone" --battery "$battery" >/dev/null 2>&1; then
  echo "demo: the device does not know the zone $zone; it runs in UTC" >&2
  zone=UTC
  "$simctl" create "$device" --version 3.1.3 --battery "$battery" >/dev/null
fi
day=$(TZ=$zone date '+%Y-%m-%d')
# The device's clock is UTC: the UTC time of a local time of today in the device's zone.
utc_of() { date -u -d "@$(TZ=$zone date -d "$day $1" '+%s')" '+%Y-%m-%d %H:%M:%S'; }
# The device's local time (HH:MM:SS) of an event log's UTC time (YYYY-MM-DDTHH:MM:SS).
"$simctl" install "$device" "$build/Vigilant.deb" >/dev/null

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${VIGILANT_DEMO_HEADLESS:-}" ]; then
  # Untouched for 5 device minutes (30 s of yours) the device sleeps, and simd stops its
  # programs with it, the app too, unless the guard holds. Enter here is the home button.
  "$simctl" boot "$device" --time "$(utc_of 21:55:00)" --rate 10 --idle-sleep 300
  app=$("$simctl" launch "$device" </dev/null)
  echo "== control app (pid $app) on $device, in the zone $zone"
  echo "== the device sleeps after 5 idle device minutes unless the guard holds; press Enter to wake it"
  echo "== the battery is at $battery % off the charger; to plug the phone in (and wake it):"
  echo "==   $simctl battery $device --plug    (--unplug takes it off again)"
  echo "== event log below (Ctrl-C or close the app to stop)"
  "$simctl" log "$device" --follow &
  follower=$!
  while kill -0 "$app" 2>/dev/null && [ "$(ps -o stat= -p "$app" | cut -c1)" != Z ]; do
    got=0
    read -r -t 1 _ 2>/dev/null || got=$?
    if [ $got -eq 0 ]; then "$simctl" wake "$device" >/dev/null || true
    elif [ $got -le 128 ]; then sleep 1  # no terminal to read from: just watch the app
    fi
  done
  kill "$follower" 2>/dev/null || true
  exit 0
fi

out=${1:-$(mktemp -d /tmp/vigilant-road.XXXXXX)}
mkdir -p "$out"
rate=200
"$simctl" boot "$device" --time "$(utc_of 21:00:00)" --rate $rate --idle-sleep 120 >/dev/null
export QT_QPA_PLATFORM=offscreen VIGILANT_UI_ANIMATIONS=0 VIGILANT_UI_AUTOMATION=$socket
"$simctl" launch "$device" </dev/null >/dev/null
# Each step is the user touching the phone: the app tells the device, and that keeps it awake
# as a real touch does.
ui() { "$uictl" "$socket" "$@" >/dev/null; }
# Waits up to 120 host seconds for the app's state to contain the text. Looking is no touch,
# and the two idle minutes are 0.6 s of yours, less than the app's launchctl runs may take on
# a busy machine: the home button keeps the device awake while the road waits.
ui_wait() {
  for _ in $(seq 600); do
    "$simctl" wake "$device" >/dev/null
    "$uictl" "$socket" state | grep -qF -- "$1" && return 0
    sleep 0.2
  done
  echo "demo: the app never showed $1" >&2; return 1
}
ui "screenshot $out/1-main-off.png"
ui "tap preventSleepSwitch"
ui_wait '"alerts":[{'
ui "screenshot $out/2-reboot-hint-alert.png"
ui "tap OK"
ui_wait '"preventSleepSwitch":{"enabled":true,"name":"preventSleepSwitch","on":true'
ui "screenshot $out/3-main-on.png"
ui "tap scheduleSwitch"
ui_wait '"scheduleSwitch":{"enabled":true,"name":"scheduleSwitch","on":true'
ui "screenshot $out/4-main-schedule.png"
ui "tap-row tableView 1 1"
ui_wait '"title":"Start & End"'
ui "pick bedPickerView 0 22" "pick bedPickerView 1 0" "tap-row bedTableView 0 1" \
   "pick bedPickerView 0 6" "pick bedPickerView 1 0"
ui "screenshot $out/5-time-picker.png"
ui "tap saveButton"
ui_wait '"text":"06:00"'
ui "tap batterySwitch"
ui_wait '"batterySwitch":{"enabled":true,"name":"batterySwitch","on":true'
ui "tap-row tableView 2 1"
ui_wait '"title":"Spare Battery"'
ui "pick floorPickerView 0 2"
ui "screenshot $out/9-battery-floor.png"
ui "tap saveButton"
ui_wait '"text":"Lets the phone sleep below 30% unless it is charging."'
ui "tap Help"
ui_wait '"title":"Vigilant Help"'
ui "screenshot $out/6-help.png"
ui "tap Done"
ui_wait '"title":"Vigilant"'
echo "== the road is set; the device now lives through the night at $rate times real speed"
log=$device/var/log/sim/events.jsonl
held=0
night_over=0
for _ in $(seq 900); do
  if [ $held -eq 0 ] && grep -q '"statusbar-show".*SpringBoardServices' <(grep -A100000 '"reason":"wake-request"' "$log" 2>/dev/null); then
    # The app's line catches up at its next refresh after the wake; the guard keeps the phone
    # awake meanwhile, so this looks without waking it.
    for _ in $(seq 50); do
      "$uictl" "$socket" state | grep -qF 'Guarding until' && break
      sleep 0.2
    done
    "$uictl" "$socket" "screenshot $out/7-main-guard-holding.png" >/dev/null || true
    held=1
  fi
  # Done once the device has slept again after the window's end.
  if grep -A100000 '"statusbar-hide"' <(grep -A100000 '"reason":"wake-request"' "$log") | grep -q '"event":"sleep"'; then
    night_over=1; break
  fi
  sleep 0.5
done
[ $night_over -eq 1 ] || echo "demo: the device had not slept after the window within 450 s; the timeline stops here" >&2
if [ $night_over -eq 1 ]; then
  # The morning: the phone woken, the main screen says what the guard did in the night.
  ui_wait 'Last night: ' && ui "screenshot $out/10-main-morning.png"
fi

echo "== timeline (device time in $zone: what happened)"
"$build/bin/daychart" --timeline --timezone "$zone" "$log"
"$build/bin/daychart" --timezone "$zone" "$log" "$out/8-the-night.png"
echo "== screenshots and the picture of the night (8-the-night.png) in $out:"
ls "$out"
