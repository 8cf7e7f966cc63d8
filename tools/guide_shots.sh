#!/usr/bin/env bash
# Retakes the screenshots of the technician's guide (docs/guide/*.png) and the
# two of the README (docs/main-dialog.png, docs/progress-dialog.png): the
# x86_64 program under Wine and Xvfb, against the simulated handheld, with
# Japanese as the system's language so that the boxes' buttons read as on a
# Japanese PC.
#   tools/guide_shots.sh        after `make win64` (or `make run`)
#
# The technician's screens come from a program built as a release is built,
# with the demo package standing in for the real one, so that its title and
# behaviour are a release's. Only the demo program's refusal comes from the
# demo program of `make win64`, meeting a library without the simulated
# handheld's mark as it would meet a real one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/x86_64
release=$root/build/guide-shots-program
work=$root/build/guide-shots
guide=$root/docs/guide

if [ -z "${RAVO_GUIDE_SHOTS_INNER:-}" ]; then
  for f in "$build/app/RavoVup.exe" "$build/sim/rapi.dll" "$build/sim/unmarked/rapi.dll" \
           "$build/tools/ui_driver/ui_driver.exe" "$build/resources/demo.cab"; do
    [ -f "$f" ] || { echo "guide_shots: $f is missing; run 'make win64' first" >&2; exit 1; }
  done
  cmake -S "$root" -B "$release" --toolchain "$root/cmake/toolchain-mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DRAVO_CABINET="$build/resources/demo.cab" >/dev/null
  cmake --build "$release" --target RavoVup -j"${JOBS:-2}" -- --no-print-directory >/dev/null
  [ -f /usr/share/wine/fonts/marlett.ttf ] ||
    echo "guide_shots: no /usr/share/wine/fonts/marlett.ttf (Debian's fonts-wine): close boxes will show an 'r'" >&2
  rm -rf "$work"
  mkdir -p "$work/locale" "$guide"
  # A Japanese locale of our own, so nothing on the machine changes.
  localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8" || {
    echo "guide_shots: cannot build the ja_JP.UTF-8 locale (Debian's locales package has its source)" >&2
    exit 1
  }
  # Set before the inner run starts, so that the C library there sees LOCPATH.
  exec env RAVO_GUIDE_SHOTS_INNER=1 LOCPATH="$work/locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
    timeout 600 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

source tools/wine_env.sh
export WINEPREFIX=$work/prefix
wine_prefix_prepare "$WINEPREFIX" "$build/sim/rapi.dll"

drive() { "$RAVO_WINE" "$build/tools/ui_driver/ui_driver.exe" "$@"; }
# shot <window title> <file>: the screen cropped to that window, as a PNG
# with a palette where that loses nothing, to keep the files small.
shot() {
  local rect
  rect=$(drive rect "$1" | tr -d '\r')
  import -window root -crop "$rect" +repage -strip "$2"
  echo "saved ${2#"$root"/} ($rect)"
}
main="ravo+ for Q58"  # the release's title; the demo program's is set below
exe=$release/app/RavoVup.exe
program=
handheld() {  # handheld <version line> [sim.ini text]
  export RAVO_SIM_DIR=$work/handheld
  tools/demo_handheld.sh "$RAVO_SIM_DIR" "$1"
  printf '%b' "${2:-}" >"$RAVO_SIM_DIR/sim.ini"
}
start_program() {  # start_program <version line> [sim.ini text]
  handheld "$@"
  "$RAVO_WINE" "$exe" &
  program=$!
  drive wait "$main" 60000 >/dev/null
  sleep 1  # let the window finish painting
}
end_program() {
  drive click "$main" 2
  drive wait-gone "$main" 20000
  wait "$program" || true
  program=
}
trap '[ -z "$program" ] || kill "$program" 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT

# A revision-up with the memory-card copy, on a link slow enough to be seen.
start_program "Version 1.1.1.0" 'bytes_per_second=3000000\n'
shot "$main" "$guide/main.png"
cp "$guide/main.png" "$root/docs/main-dialog.png"
drive click "$main" 1
drive wait-bar "デバイスにデータを転送中*" 40 30000
shot "$main" "$root/docs/progress-dialog.png"
shot "デバイスにデータを転送中*" "$guide/progress.png"
drive wait "データ転送が完了しました" 60000
sleep 0.5
shot "データ転送が完了しました" "$guide/done.png"
drive click "データ転送が完了しました" 1
drive wait-gone "$main" 20000
wait "$program" || true
program=

# The question about a newer version, answered No.
start_program "Version 1.1.2.1"
drive click "$main" 1
drive wait "バージョンチェック" 30000
sleep 0.5
shot "バージョンチェック" "$guide/question.png"
drive click "バージョンチェック" 7
drive wait-enabled "$main" 1 10000
end_program

# An error box: no connection within the time limit.
start_program "Version 1.1.1.0" 'start=never\n'
drive click "$main" 1
drive wait "デバイス接続" 30000
sleep 0.5
shot "デバイス接続" "$guide/error-not-connected.png"
drive click "デバイス接続" 1
drive wait-enabled "$main" 1 10000
end_program

# The installer not started on the handheld after both copies (code 9).
start_program "Version 1.1.1.0" 'fail.CeCreateProcess=1\n'
drive click "$main" 1
drive wait "データ転送" 60000
sleep 0.5
shot "データ転送" "$guide/error-installer-start.png"
drive click "データ転送" 1
drive wait-enabled "$main" 1 10000
end_program

# The version check on a handheld that the revision-up brought up to date.
handheld "Version 1.1.2.0"
"$RAVO_WINE" "$exe" /check &
program=$!
drive wait "バージョンチェック" 30000
sleep 0.5
shot "バージョンチェック" "$guide/check-latest.png"
drive click "バージョンチェック" 1
wait "$program" || true
program=

# The demo program refusing a library that is not the simulated handheld.
cp "$build/sim/unmarked/rapi.dll" "$WINEPREFIX/drive_c/windows/system32/rapi.dll"
main="ravo+ for Q58（デモ版）"
exe=$build/app/RavoVup.exe
start_program "Version 1.1.1.0"
drive click "$main" 1
drive wait "デバイス接続" 30000
sleep 0.5
shot "デバイス接続" "$guide/demo-refused.png"
drive click "デバイス接続" 1
drive wait-enabled "$main" 1 10000
end_program

wineserver -w
ls -l "$guide"/*.png "$root/docs/main-dialog.png" "$root/docs/progress-dialog.png"
