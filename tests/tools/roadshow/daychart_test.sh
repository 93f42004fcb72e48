#!/usr/bin/env bash
# daychart on the logs it meets: a night with garbage lines among the events draws a picture of
# the chart's size; a log without timed events, a missing log and an unwritable target fail
# with a message and leave no picture.
set -euo pipefail
daychart=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cat > "$work/night.jsonl" <<'LOG'
{"time":"2026-12-08T21:00:00","source":"simd","event":"boot"}
not json at all
{"time":"2026-12-08T21:02:00","source":"powerd","event":"wake-booked","wakeTime":"2026-12-08T22:00:02"}
{"time":"2026-12-08T21:03:00","source":"powerd","event":"answer","answer":"allow"}
{"time":"2026-12-08T21:03:00","source":"powerd","event":"sleep","wakeAt":"2026-12-08T22:00:02"}
{"time":"bad","event":"sleep"}
{"time":"2026-12-08T22:00:02","source":"powerd","event":"wake","reason":"wake-request"}
{"time":"2026-12-08T22:00:05","source":"SpringBoard","event":"statusbar-show","item":"VigilantPro"}
{"time":"2026-12-08T22:10:00","source":"powerd","event":"answer","answer":"cancel"}
{"time":"2026-12-09T06:00:04","source":"SpringBoard","event":"statusbar-hide","item":"VigilantPro"}
{"time":"2026-12-09T06:02:00","source":"powerd","event":"sleep","wakeAt":null}
{"time":"2026-12-09T06:02:00","event":
LOG
"$daychart" "$work/night.jsonl" "$work/night.png" || fail "a night with garbage lines was refused"
[ "$(head -c 8 "$work/night.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "the picture is no PNG"
width=$(od -An -j16 -N4 -tu1 "$work/night.png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
[ "$width" -eq 1200 ] || fail "the picture is $width pixels wide, not 1200"

printf 'garbage\n{"event":"sleep"}\n' > "$work/untimed.jsonl"
for args in "$work/untimed.jsonl $work/a.png" "$work/missing.jsonl $work/b.png" \
            "$work/night.jsonl $work/no-such-folder/c.png"; do
  set +e
  # shellcheck disable=SC2086
  message=$("$daychart" $args 2>&1)
  status=$?
  set -e
  [ $status -eq 1 ] || fail "daychart $args ended with $status, not 1"
  case $message in daychart:*) ;; *) fail "daychart $args said \"$message\"" ;; esac
done
[ ! -e "$work/a.png" ] && [ ! -e "$work/b.png" ] || fail "a failed run left a picture"
"$daychart" --help | grep -q "usage: daychart" || fail "--help says no usage"

# A log that kept two boots, years apart: the last is drawn unless another is asked for.
{ cat "$work/night.jsonl"
  echo '{"time":"2031-05-01T08:00:00","source":"simd","event":"boot"}'
  echo '{"time":"2031-05-01T08:30:00","source":"powerd","event":"sleep","wakeAt":null}'
} > "$work/two-boots.jsonl"
summary=$("$daychart" "$work/two-boots.jsonl" "$work/last.png")
[ "$summary" = "daychart: boot 2 of 2, 2031-05-01 08:00 to 2031-05-01 08:30" ] ||
  fail "the last boot was not drawn alone: $summary"
summary=$("$daychart" --boot 1 "$work/two-boots.jsonl" "$work/first.png")
[ "$summary" = "daychart: boot 1 of 2, 2026-12-08 21:00 to 2026-12-09 06:02" ] ||
  fail "--boot 1 drew $summary"
for args in "--boot 3:1" "--boot 0:2" "--boot x:2"; do
  set +e
  "$daychart" ${args%%:*} "$work/two-boots.jsonl" "$work/none.png" 2>/dev/null
  status=$?
  set -e
  [ $status -eq "${args##*:}" ] || fail "daychart ${args%%:*} ended with $status"
done
[ ! -e "$work/none.png" ] || fail "a refused boot left a picture"

# The guard's answers are drawn, not the control app's: its screen allows the sleep questions
# the guard refuses, and the chart stays as it was without them.
# A night of the guard's refusals; with "app", the control app (pid 41) allows each question too.
guard_night() {
  echo '{"time":"2026-12-08T21:00:00","source":"simd","event":"boot"}'
  echo '{"time":"2026-12-08T21:01:00","source":"launchd","event":"job-started","label":"com.quillmoor.vigilantpro","pid":40}'
  echo '{"time":"2026-12-08T22:00:05","source":"SpringBoard","event":"statusbar-show","item":"VigilantPro"}'
  for hour in 00 01 02 03; do
    [ "${1:-}" = app ] && echo "{\"time\":\"2026-12-09T$hour:00:00\",\"source\":\"powerd\",\"event\":\"answer\",\"pid\":41,\"answer\":\"allow\"}"
    echo "{\"time\":\"2026-12-09T$hour:00:00\",\"source\":\"powerd\",\"event\":\"answer\",\"pid\":40,\"answer\":\"cancel\"}"
  done
  echo '{"time":"2026-12-09T06:00:04","source":"SpringBoard","event":"statusbar-hide","item":"VigilantPro"}'
}
guard_night > "$work/guard.jsonl"
guard_night app > "$work/guard-and-app.jsonl"
"$daychart" "$work/guard.jsonl" "$work/guard.png" >/dev/null
"$daychart" "$work/guard-and-app.jsonl" "$work/guard-and-app.png" >/dev/null
cmp -s "$work/guard.png" "$work/guard-and-app.png" || fail "the app's answers were drawn as the guard's"

# In the device's zone the same night reads in its local time, an hour ahead of UTC in Berlin's
# winter; a zone the tz database does not know is refused.
summary=$("$daychart" --boot 1 --timezone Europe/Berlin "$work/two-boots.jsonl" "$work/berlin.png")
[ "$summary" = "daychart: boot 1 of 2, 2026-12-08 22:00 to 2026-12-09 07:02" ] ||
  fail "--timezone Europe/Berlin drew $summary"
set +e
"$daychart" --timezone Nowhere/Atlantis "$work/night.jsonl" "$work/atlantis.png" 2>/dev/null
status=$?
set -e
[ $status -eq 2 ] || fail "an unknown zone ended with $status, not 2"
[ ! -e "$work/atlantis.png" ] || fail "an unknown zone left a picture"
# The timeline tells the night in words at the zone's local time: a run of the guard's refusals
# is one line before the next step, and one the log ends with is told too; a second show while
# the guard holds and another job's start are no steps of their own.
guard_night > "$work/told.jsonl"
cat >> "$work/told.jsonl" <<'LOG'
{"time":"2026-12-09T06:00:06","source":"SpringBoard","event":"statusbar-show","item":"VigilantPro","route":"UIApplication"}
{"time":"2026-12-09T06:00:07","source":"SpringBoard","event":"statusbar-show","item":"VigilantPro","route":"SpringBoardServices"}
{"time":"2026-12-09T06:00:08","source":"launchd","event":"job-started","label":"com.example.other","pid":77}
{"time":"2026-12-09T06:01:00","source":"powerd","event":"sleep","wakeAt":null}
{"time":"2026-12-09T06:30:00","source":"powerd","event":"wake","reason":"user"}
{"time":"2026-12-09T06:31:00","source":"powerd","event":"answer","pid":40,"answer":"cancel"}
LOG
told=$("$daychart" --timeline --timezone Europe/Berlin "$work/told.jsonl")
expected="22:01:00  launchd started the guard daemon
23:00:05  guard holding: VigilantPro in the status bar
01:00:00-04:00:00  4 sleep attempts refused by the guard
07:00:04  status-bar item removed
07:00:06  guard holding: VigilantPro in the status bar
07:01:00  device slept
07:30:00  device woke (user)
07:31:00-07:31:00  1 sleep attempts refused by the guard"
[ "$told" = "$expected" ] || fail "the timeline told:
$told"

# A night on the battery: booted unplugged at 63 %, SpringBoard's minute wake-ups, an hour on the
# charger. The timeline tells the level where the guard takes hold and lets go, and the charger;
# the picture draws the battery: without its events it is another picture.
battery_night() {
  echo '{"time":"2026-12-08T21:00:00","source":"simd","event":"boot","battery":63,"plugged":false}'
  echo '{"time":"2026-12-08T22:00:05","source":"SpringBoard","event":"statusbar-show","item":"VigilantPro"}'
  if [ "${1:-}" != unpowered ]; then
    echo '{"time":"2026-12-08T23:00:00","source":"powerd","event":"battery-level","level":62}'
    echo '{"time":"2026-12-09T01:00:00","source":"powerd","event":"battery-level","level":55}'
    echo '{"time":"2026-12-09T03:00:00","source":"powerd","event":"power-source","plugged":true,"state":"charging"}'
    echo '{"time":"2026-12-09T04:00:00","source":"powerd","event":"battery-level","level":90}'
    echo '{"time":"2026-12-09T04:00:00","source":"powerd","event":"power-source","plugged":false,"state":"unplugged"}'
  fi
  echo '{"time":"2026-12-09T05:00:00","source":"powerd","event":"sleep","wakeAt":null}'
  echo '{"time":"2026-12-09T05:01:00","source":"powerd","event":"wake","reason":"wake-request","scheduledby":"com.apple.springboard"}'
  echo '{"time":"2026-12-09T06:00:04","source":"SpringBoard","event":"statusbar-hide","item":"VigilantPro"}'
}
battery_night > "$work/battery.jsonl"
battery_night unpowered > "$work/unpowered.jsonl"
told=$("$daychart" --timeline "$work/battery.jsonl")
expected="22:00:05  guard holding: VigilantPro in the status bar
22:00:05  battery 63%
03:00:00  charger plugged in (charging)
04:00:00  charger unplugged
05:00:00  device slept
05:01:00  device woke (wake-request)
06:00:04  status-bar item removed
06:00:04  battery 90%"
[ "$told" = "$expected" ] || fail "the battery's night was told:
$told"
"$daychart" "$work/battery.jsonl" "$work/battery.png" >/dev/null
"$daychart" "$work/unpowered.jsonl" "$work/unpowered.png" >/dev/null
! cmp -s "$work/battery.png" "$work/unpowered.png" || fail "the battery was not drawn"

echo "daychart: all cases hold"
