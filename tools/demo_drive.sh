#!/usr/bin/env bash
# Runs one revision-up on the display in $DISPLAY, as a user would, and
# photographs the main dialog, the progress dialog and the completion box.
#   demo_drive.sh <build dir> <shots dir> [<program>]
# The build dir gives the UI driver; the program is its RavoVup.exe unless named.
set -euo pipefail
build="$1"
shots="$2"
program_file="${3:-$build/app/RavoVup.exe}"
source "$(dirname "$0")/wine_env.sh"
drive() { "$RAVO_WINE" "$build/tools/ui_driver/ui_driver.exe" "$@"; }
# Crops the screen to a window, so the shot shows the program and not the desktop.
shot() {
  local rect
  rect=$(drive rect "$1" | tr -d '\r')
  import -window root -crop "$rect" +repage "$shots/$2.png"
  echo "saved $shots/$2.png"
}
main="ravo+ for Q58*"  # a demo program says so after the name

"$RAVO_WINE" "$program_file" &
program=$!
trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT

drive wait "$main" 60000
sleep 1
shot "$main" main
drive click "$main" 1
drive wait "デバイスにデータを転送中*" 30000
sleep 1
shot "$main" progress
drive wait "データ転送が完了しました" 120000
sleep 0.5
shot "$main" done
drive click "データ転送が完了しました" 1
drive wait-gone "$main" 20000
wait $program || true
trap - EXIT
wineserver -w
