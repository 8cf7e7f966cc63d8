#!/usr/bin/env bash
# The Windows program's size, and its start-up time to the main window under
# Wine against a one-dialog program built with the same static toolchain.
#   wine_startup.sh <win64 build dir>   (runs itself again under xvfb-run)
# Prints `name: value` lines; a figure that cannot be had prints as n/a with
# the reason, and the script still exits 0 so the other figures stand.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(cd "$1" 2>/dev/null && pwd || echo "$1")
work=$root/build/bench-wine
exe=$build/app/RavoVup.exe
driver=$build/tools/ui_driver/ui_driver.exe
runs=5

not_available() {
  for name in exe.startup_ms trivial.startup_ms exe.startup_ratio; do echo "$name: n/a ($1)"; done
  exit 0
}

if [ -z "${RAVO_BENCH_INNER:-}" ]; then
  if [ ! -f "$exe" ] || [ ! -f "$driver" ] || [ ! -f "$build/sim/rapi.dll" ]; then
    echo "exe.size_bytes: n/a (no $exe; make win64)"
    not_available "no Windows build"
  fi
  size=$(stat -c %s "$exe")
  cab=$(stat -c %s "$build/resources/package.cab" 2>/dev/null || echo 0)
  echo "exe.size_bytes: $size (embedded package $cab bytes of it, the rest $((size - cab)); aim: the rest < 2 MB)"
  command -v xvfb-run >/dev/null || not_available "no xvfb-run"
  # The first run also makes the Wine prefix, which takes the longest.
  RAVO_BENCH_INNER=1 timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@" \
    || not_available "the Wine run failed or took over 240 s"
  exit 0
fi

source tools/wine_env.sh
export WINEPREFIX=$work/prefix
command -v "$RAVO_WINE" >/dev/null || not_available "no Wine"
mkdir -p "$work"

# Built here rather than in the Windows CMake tree: it is a yardstick, not
# part of the program.
source_dir=$root/bench/trivial_dialog
trivial=$work/trivial_dialog.exe
x86_64-w64-mingw32-windres -I"$source_dir" "$source_dir/trivial_dialog.rc" -O coff -o "$work/trivial_dialog.res.o" &&
  x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -municode -mwindows \
    -static -static-libgcc -static-libstdc++ -I"$source_dir" \
    "$source_dir/trivial_dialog.cpp" "$work/trivial_dialog.res.o" -o "$trivial" ||
  not_available "the trivial dialog did not build"

wine_prefix_prepare "$WINEPREFIX" "$build/sim/rapi.dll" >/dev/null 2>&1
# One server for every run, so no run pays for starting it.
wineserver -p
trap 'wineserver -k 2>/dev/null' EXIT
export RAVO_SIM_DIR=$work/handheld
mkdir -p "$RAVO_SIM_DIR"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# startup_ms <program> <window title>: from the program's launch to its window
# being seen by the driver, which is already polling (every 50 ms) by then.
startup_ms() {
  "$RAVO_WINE" "$driver" wait "$2" 30000 >/dev/null 2>&1 &
  local waiter=$!
  sleep 2
  local start
  start=$(now_ms)
  "$RAVO_WINE" "$1" >/dev/null 2>&1 &
  local program=$!
  wait "$waiter"
  local found=$?
  local end
  end=$(now_ms)
  "$RAVO_WINE" "$driver" command "$2" 2 >/dev/null 2>&1
  for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  kill "$program" 2>/dev/null
  wait "$program" 2>/dev/null
  [ "$found" = 0 ] && echo $((end - start))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

measure() {  # measure <program> <title>: median of $runs after one unmeasured run
  startup_ms "$1" "$2" >/dev/null
  local times=() t
  for _ in $(seq "$runs"); do
    t=$(startup_ms "$1" "$2") || return 1
    times+=("$t")
  done
  echo "$(median "${times[@]}") ${times[*]}"
}

program=$(measure "$exe" "ravo+ for Q58*") || not_available "RavoVup.exe showed no main window"
yardstick=$(measure "$trivial" "Trivial dialog") || not_available "the trivial dialog showed no window"
read -r program_ms program_all <<<"$program"
read -r yardstick_ms yardstick_all <<<"$yardstick"
echo "exe.startup_ms: $program_ms (launch to main window under Wine, median of $runs: $program_all; aim: < 1000)"
echo "trivial.startup_ms: $yardstick_ms (one-dialog program, $(stat -c %s "$trivial") bytes, median of $runs: $yardstick_all)"
awk -v a="$program_ms" -v b="$yardstick_ms" 'BEGIN { printf "exe.startup_ratio: %.2f (against the trivial dialog; no aim of its own, exe.startup_ms holds it)\n", a / b }'
