#!/usr/bin/env bash
# Installs what is missing, builds, starts the gauge bench (simulated gauges) and
# LonvarStd on it. Without a display it runs on a virtual X server of its own, presses
# the request keys F2 and F3 there every few seconds and saves a screenshot at the end.
#   --seconds N      end after N seconds (default: run until Ctrl-C)
#   --text-only      every gauge writes to its text file (no spreadsheet, no office)
#   --keep-settings  use the program folder's configuration as it stands
# TAVRIX_BUILD_DIR chooses the build folder (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=0
text_only=0
keep_settings=0
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=${2:?--seconds needs a number}; shift 2 ;;
    --text-only) text_only=1; shift ;;
    --keep-settings) keep_settings=1; shift ;;
    *) echo "usage: bash scripts/run.sh [--seconds N] [--text-only] [--keep-settings]" >&2; exit 2 ;;
  esac
done

build=${TAVRIX_BUILD_DIR:-build/release}
bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target LonvarStd gaugebench x_key x_screenshot

prog=$build/program
tools=$build/tools
work=$(mktemp -d)
socket="$work/bench.sock"
pids=()
stop_all() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap stop_all EXIT

# The demo's gauges (tools/gaugebench --demo): the "Lumo" USB gauge answers F2, the gauge
# on COM1 answers F3. The settings go where the program reads them at start.
if [ "$keep_settings" = 0 ]; then
  lumo_target=1
  [ "$text_only" = 1 ] && lumo_target=2
  mkdir -p "$prog/DAT"
  printf '%s\r\n' \
    "[Lumo LU000001]" "DeviceName=Lumo F2" "AnforderType=1" "AnforderTasteKeyb=F2" \
    "MwZielAppl=$lumo_target" \
    "[COM_1]" "DeviceDescription=Lumo" "DeviceName=Gauge F3" "AnforderType=1" \
    "AnforderTasteKeyb=F3" "MwZielAppl=2" >"$prog/DAT/DEFAULT.TVC"
fi

virtual=0
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    virtual=1
    break
  done
  [ "$virtual" = 1 ] || { echo "no free display number for Xvfb" >&2; exit 1; }
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
  echo "No display: LonvarStd runs on the virtual X server $DISPLAY."
fi

"$tools/gaugebench/gaugebench" --demo --socket "$socket" >"$work/bench.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$socket" ] && break; sleep 0.1; done

echo "Gauge bench: $socket (drive it with: socat - UNIX-CONNECT:$socket)"
echo "Values go to $prog/DAT/ (text files) and to the spreadsheet from $prog/Default.xlt."
TAVRIX_BENCH="$socket" "$prog/LonvarStd" &
lonvar=$!
pids+=($lonvar)

finish() {
  if [ "$virtual" = 1 ]; then
    shot=$build/run-screenshot.png
    "$tools/testsupport/x_screenshot" "$shot" && echo "Screenshot of the windows: $shot"
  fi
  # Ends like a user's close: placement and settings kept, no question asked.
  kill -TERM "$lonvar" 2>/dev/null || true
  wait "$lonvar" 2>/dev/null || true
  exit 0
}
trap finish INT TERM

# Requests through the keyboard hook: on the virtual display the script presses F2 and F3
# (XTest); on a desktop you press them yourself, in any program.
sleep 3
if [ "$virtual" = 1 ]; then
  # Opens the main window as a user would, by a double click on the status window, so
  # that the screenshot shows both.
  win=$(timeout 10 xdotool search --sync --name '^Lonvar standard$' | head -n 1) || true
  [ -n "$win" ] && { xdotool mousemove --window "$win" 60 30 click --repeat 2 --delay 120 1 || true; }
  # With no window manager to keep the status window on top, the main window goes to
  # the corner so that both show.
  main=$(timeout 10 xdotool search --sync --name '^Lonvar standard .*TVC' | head -n 1) || true
  [ -n "$main" ] && { xdotool windowmove "$main" 10 10 || true; }
else
  echo "Press F2 (Lumo gauge) or F3 (COM1 gauge) anywhere on the desktop."
fi
start=$SECONDS
while kill -0 "$lonvar" 2>/dev/null; do
  if [ "$seconds" -gt 0 ] && [ $((SECONDS - start + 3)) -ge "$seconds" ]; then finish; fi
  if [ "$virtual" = 1 ]; then
    "$tools/testsupport/x_key" F2
    sleep 1
    "$tools/testsupport/x_key" F3
    sleep 1
  else
    sleep 1
  fi
done
