#!/usr/bin/env bash
# CPU share of one core that the tool uses while it sits idle in its window.
#
#   bench/idle_cpu.sh [-n REPETITIONS] [-s SECONDS] [-p PRESETS] BUILD_DIR [BUILD_DIR ...]
#
# Each repetition starts a private Xvfb server, lays out a fresh run folder
# with that build's make-data, starts its quill-retro there, waits until the
# loading is over, then reads the time all its threads ran on a CPU
# over SECONDS. Builds take turns within each repetition so that a change in
# the machine's load hits them alike. Prints every reading and the median per
# build. With -p, each run folder starts with that many small presets (an
# 8 x 8 icon and a settings file each), as a long-used tool has. Needs Xvfb;
# runs without sound (SDL's dummy driver, OpenAL null).
set -euo pipefail

repetitions=3
seconds=20
presets=0
while getopts "n:s:p:" option; do
  case $option in
    n) repetitions=$OPTARG ;;
    s) seconds=$OPTARG ;;
    p) presets=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if (($# == 0)); then
  echo "usage: $0 [-n repetitions] [-s seconds] [-p presets] build-dir [build-dir ...]" >&2
  exit 2
fi
builds=()
for dir in "$@"; do
  dir=$(cd "$dir" && pwd)
  for binary in quill-retro make-data; do
    [ -x "$dir/$binary" ] || { echo "$dir/$binary is missing" >&2; exit 1; }
  done
  builds+=("$dir")
done

server=0
program=0
scratch=$(mktemp -d)
stop() {
  if ((program > 0)); then kill -KILL "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; fi
  if ((server > 0)); then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  program=0
  server=0
}
trap 'stop; rm -rf "$scratch"' EXIT

# Nanoseconds a process has run on a CPU, all its threads together. The
# scheduler counts them exactly, where the user and system times of
# /proc/PID/stat are sampled at each clock tick, which is coarse over 20 s
# for a process that wakes up every millisecond.
cpu_nanoseconds() {
  local total=0 task runtime rest
  for task in /proc/"$1"/task/*; do
    read -r runtime rest <"$task/schedstat" 2>/dev/null || continue
    total=$((total + runtime))
  done
  echo "$total"
}

start_xvfb() {
  local ready=$scratch/display
  rm -f "$ready"
  exec 3>"$ready"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
  server=$!
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$ready" ] && break
    sleep 0.1
  done
  [ -s "$ready" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$ready")"
}

# The presets every run folder starts with, made once: p00000.png and
# p00000.dat onwards, a red 8 x 8 icon and a seed with 3200 zero settings.
make_presets() {
  local icon=$scratch/icon.png i
  mkdir -p "$scratch/presets"
  base64 -d >"$icon" <<<"iVBORw0KGgoAAAANSUhEUgAAAAgAAAAICAIAAABLbSncAAAAEUlEQVR42mM4YWODFTEMLQkAZZlQAS/gME0AAAAASUVORK5CYII="
  for ((i = 0; i < presets; ++i)); do cat "$icon"; done |
    split -b "$(stat -c %s "$icon")" -d -a 5 --additional-suffix=.png - "$scratch/presets/p"
  head -c $((12804 * presets)) /dev/zero |
    split -b 12804 -d -a 5 --additional-suffix=.dat - "$scratch/presets/p"
}

# Prints the share of one core in percent, with two decimals.
measure() {
  local build=$1 folder=$scratch/run
  rm -rf "$folder"
  mkdir -p "$folder"
  "$build/make-data" "$folder" >/dev/null
  if ((presets > 0)); then
    mkdir -p "$folder/Presets"
    cp -a "$scratch/presets/." "$folder/Presets/"
  fi
  start_xvfb
  (cd "$folder" && SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null exec "$build/quill-retro" \
    >/dev/null 2>&1) &
  program=$!
  # The start marker exists while the display set-up runs; then the loading
  # screen holds for about three seconds.
  sleep 1
  for _ in $(seq 600); do
    [ -e "$folder/Files/001/crash.dat" ] || break
    sleep 0.1
  done
  sleep 4
  kill -0 "$program" 2>/dev/null || { echo "$build/quill-retro ended early" >&2; exit 1; }
  local before after
  before=$(cpu_nanoseconds "$program")
  sleep "$seconds"
  after=$(cpu_nanoseconds "$program")
  stop
  awk -v t=$((after - before)) -v s="$seconds" 'BEGIN { printf "%.2f\n", 100 * t / 1e9 / s }'
}

if ((presets > 0)); then make_presets; fi
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
declare -A readings
for ((r = 1; r <= repetitions; ++r)); do
  for build in "${builds[@]}"; do
    share=$(measure "$build")
    readings[$build]+="$share "
    echo "run $r  ${share}%  $build"
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
for build in "${builds[@]}"; do
  median=$(tr ' ' '\n' <<<"${readings[$build]}" | grep . | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
  echo "median ${median}% of one core over ${seconds} s  $build"
done
