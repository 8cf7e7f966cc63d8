#!/usr/bin/env bash
# `make run`: the program against a demo handheld under Wine. With a
# display it opens there for you to use; without one it runs under Xvfb,
# performs the revision-up by itself and saves screenshots to build/shots/.
# Either way it prints what the handheld holds afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/x86_64
source tools/wine_env.sh
export LC_ALL=C.UTF-8
export WINEPREFIX=$root/build/wine
export RAVO_SIM_DIR=$root/build/demo-handheld

wine_prefix_prepare "$WINEPREFIX" $build/sim/rapi.dll build/i686/sim/rapi.dll
tools/demo_handheld.sh "$RAVO_SIM_DIR"

if [ -n "${DISPLAY:-}" ]; then
  echo "Demo handheld: $RAVO_SIM_DIR"
  "$RAVO_WINE" $build/app/RavoVup.exe || true
else
  # Slow enough that the progress dialog can be seen and photographed.
  echo "bytes_per_second=8000000" >"$RAVO_SIM_DIR/sim.ini"
  mkdir -p build/shots
  timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" tools/demo_drive.sh "$build" build/shots
fi

echo
echo "== The handheld afterwards ($RAVO_SIM_DIR) =="
(cd "$RAVO_SIM_DIR" && find . -type f ! -name calls.log -printf '%10s  %p\n' | sort -k2)
for f in processes.log attributes.txt registry.txt; do
  echo "-- $f"
  cat "$RAVO_SIM_DIR/$f" 2>/dev/null || echo "(none)"
done
