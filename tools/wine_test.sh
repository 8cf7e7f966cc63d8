#!/usr/bin/env bash
# `make wine-test`: the Windows program under Wine with the simulated
# handheld, driven from outside through its windows, in a fresh prefix.
#   wine_test.sh <build dir>        (runs itself again under xvfb-run)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="$1"
work=$root/build/wine-test

if [ -z "${RAVO_WINE_TEST_INNER:-}" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  # Every wait below has its own limit; this one bounds the whole run.
  RAVO_WINE_TEST_INNER=1 exec timeout 480 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

source tools/wine_env.sh
export LC_ALL=C.UTF-8
export WINEPREFIX=$work/prefix
wine_prefix_prepare "$WINEPREFIX" "$build/sim/rapi.dll"

drive() { "$RAVO_WINE" "$build/tools/ui_driver/ui_driver.exe" "$@"; }
package=$build/resources/package.cab
main="ravo+ for Q58"
failures=0
program=

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
expect() {  # expect <description> <command...>
  local what="$1"
  shift
  "$@" || fail "$what"
}
start_program() {
  "$RAVO_WINE" "$build/app/RavoVup.exe" &
  program=$!
  drive wait "$main" 60000
}
stop_program() {
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
    fail "the program was still running; stopping it"
    kill "$program" 2>/dev/null || true
  fi
  wait "$program" 2>/dev/null || true
  program=
}
# has_line <file> <exact line>: the simulated handheld writes CR-LF lines.
has_line() { tr -d '\r' <"$1" | grep -qxF -- "$2"; }
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

echo "== wine-test: revision-up with the memory card =="
export RAVO_SIM_DIR=$work/happy
tools/demo_handheld.sh "$RAVO_SIM_DIR"
start_program
expect "memory-card option ticked at start" [ "$(drive state "$main" 1002 | tr -d '\r')" = "enabled=1 checked=1" ]
drive click "$main" 1
if drive wait "データ転送が完了しました" 60000; then
  expect "completion text" grep -q "モバイル デバイスの画面を確認してください。" <(drive texts "データ転送が完了しました")
  drive click "データ転送が完了しました" 1
  expect "a completed revision-up closes the program" drive wait-gone "$main" 20000
else
  fail "no completion box"
fi
stop_program
h=$RAVO_SIM_DIR
expect "card copy equals the package" cmp -s "$package" "$h/Storage Card/Q58ravoInstall.CAB"
expect "install copy equals the package" cmp -s "$package" "$h/Windows/AppMgr/Install/ravo+ for Q58.CAB"
expect "card copy read-only" has_line "$h/attributes.txt" '00000001 \Storage Card\Q58ravoInstall.CAB'
expect "installer started" has_line "$h/processes.log" 'wceload /noaskdest "\Windows\AppMgr\Install\ravo+ for Q58.CAB"'
expect "launcher entry removed" bash -c '! grep -qF "ZenLaunch\\FileList\\ravo+(GPS)]" "$1"' _ "$h/registry.txt"
expect "DPI written" has_line "$h/registry.txt" '"DPI"=dword:00000060'

echo "== wine-test: ravo not installed =="
export RAVO_SIM_DIR=$work/not-installed
tools/demo_handheld.sh "$RAVO_SIM_DIR" ""
start_program
drive click "$main" 1
if drive wait "バージョンチェック" 30000; then
  expect "not-installed text" grep -q "ravoがインストールされていません。" <(drive texts "バージョンチェック")
  drive click "バージョンチェック" 1
  expect "progress dialog closes" drive wait-gone "デバイスのデータを取得中" 20000
  expect "main dialog stays, enabled" drive wait-enabled "$main" 1 10000
  drive click "$main" 2
  expect "Exit ends the program" drive wait-gone "$main" 20000
else
  fail "no version-check box"
fi
stop_program
expect "nothing copied" [ ! -e "$RAVO_SIM_DIR/Storage Card/Q58ravoInstall.CAB" ]
expect "registry untouched" grep -qF 'ZenLaunch\FileList\ravo+(GPS)]' "$RAVO_SIM_DIR/registry.txt"

echo "== wine-test: cancel during the install copy =="
export RAVO_SIM_DIR=$work/cancel
tools/demo_handheld.sh "$RAVO_SIM_DIR"
echo "bytes_per_second=2000000" >"$RAVO_SIM_DIR/sim.ini"
start_program
drive check "$main" 1002 0
drive click "$main" 1
if drive wait-enabled "デバイスにデータを転送中*" 2 30000; then
  drive click "デバイスにデータを転送中*" 2
  expect "cancel closes the progress dialog" drive wait-gone "デバイスにデータを転送中*" 10000
  expect "main dialog stays, enabled" drive wait-enabled "$main" 1 10000
  expect "no message box after a cancel" bash -c '! "$@" windows | grep -q "データ転送"' _ "$RAVO_WINE" \
    "$build/tools/ui_driver/ui_driver.exe"
  expect "option stays cleared" [ "$(drive state "$main" 1002 | tr -d '\r')" = "enabled=1 checked=0" ]
  drive click "$main" 2
  expect "Exit ends the program" drive wait-gone "$main" 20000
else
  fail "Cancel never became available"
fi
stop_program
expect "partial install copy removed" [ ! -e "$RAVO_SIM_DIR/Windows/AppMgr/Install/ravo+ for Q58.CAB" ]
expect "no card copy with the option cleared" [ ! -e "$RAVO_SIM_DIR/Storage Card/Q58ravoInstall.CAB" ]
expect "installer not started" [ ! -s "$RAVO_SIM_DIR/processes.log" ]

echo "== wine-test: Escape while the connection does not come =="
export RAVO_SIM_DIR=$work/escape
tools/demo_handheld.sh "$RAVO_SIM_DIR"
echo "start=never" >"$RAVO_SIM_DIR/sim.ini"
start_program
drive click "$main" 1
if drive wait "デバイスのデータを取得中" 30000; then
  sleep 1  # the worker is now inside the 5 s connect wait; Cancel is disabled
  drive command "デバイスのデータを取得中" 2
  expect "Escape closes the progress dialog" drive wait-gone "デバイスのデータを取得中" 15000
  expect "main dialog stays, enabled" drive wait-enabled "$main" 1 10000
  expect "no connection box after a cancel" bash -c '! "$@" windows | grep -q "デバイス接続"' _ "$RAVO_WINE" \
    "$build/tools/ui_driver/ui_driver.exe"
  drive click "$main" 2
  expect "Exit ends the program" drive wait-gone "$main" 20000
else
  fail "no progress dialog"
fi
stop_program
expect "registry untouched" grep -qF 'ZenLaunch\FileList\ravo+(GPS)]' "$RAVO_SIM_DIR/registry.txt"

# box_scenario <name> <version line> <sim.ini text> <option 0|1> <caption> <exact text> <button>
# One attempt that ends in one message box; afterwards the main dialog is
# back, enabled, with the option as the user left it.
box_scenario() {
  local name="$1" version="$2" ini="$3" option="$4" caption="$5" text="$6" button="$7"
  echo "== wine-test: $name =="
  export RAVO_SIM_DIR=$work/$name
  tools/demo_handheld.sh "$RAVO_SIM_DIR" "$version"
  printf '%b' "$ini" >"$RAVO_SIM_DIR/sim.ini"
  [ "$name" = no-card ] && rm -rf "$RAVO_SIM_DIR/Storage Card"
  start_program
  drive check "$main" 1002 "$option"
  drive click "$main" 1
  if drive wait "$caption" 30000; then
    expect "$name: message text" grep -qxF -- "$text" <(drive texts "$caption" | tr -d '\r' | cut -f3)
    drive click "$caption" "$button"
    expect "$name: progress dialog closes" drive wait-gone "デバイス*" 20000
    expect "$name: main dialog back, enabled" drive wait-enabled "$main" 1 10000
    expect "$name: option as the user left it" \
      [ "$(drive state "$main" 1002 | tr -d '\r')" = "enabled=1 checked=$option" ]
    drive click "$main" 2
    expect "$name: Exit ends the program" drive wait-gone "$main" 20000
  else
    fail "$name: no box captioned $caption"
    import -window root "$work/$name-failure.png" 2>/dev/null || true
  fi
  stop_program
  wineserver -w
}
nothing_installed() {  # nothing_installed <name>: no file from this run is left
  expect "$1: no card copy" [ ! -e "$RAVO_SIM_DIR/Storage Card/Q58ravoInstall.CAB" ]
  expect "$1: no install copy" [ ! -e "$RAVO_SIM_DIR/Windows/AppMgr/Install/ravo+ for Q58.CAB" ]
  expect "$1: installer not started" [ ! -s "$RAVO_SIM_DIR/processes.log" ]
}

box_scenario refused "Version 1.1.1.0" 'start=refuse\n' 1 "デバイス接続" "モバイルデバイスの初期化に失敗しました。" 1
nothing_installed refused
box_scenario start-failed "Version 1.1.1.0" 'start=fail\n' 1 "デバイス接続" "モバイルデバイスの接続に失敗しました。" 1
box_scenario no-start "Version 1.1.1.0" 'start=never\n' 1 "デバイス接続" "モバイルデバイスと接続されていません。" 1
box_scenario too-old "Version 1.0.9.9" '' 0 "バージョンチェック" \
  'インストールされているバージョンは[Version 1.0.9.9]です。\n\nリビジョンアップを行うには、[Version 1.1.0.0]以降が必要です。' 1
nothing_installed too-old
expect "too-old: registry untouched" grep -qF 'ZenLaunch\FileList\ravo+(GPS)]' "$RAVO_SIM_DIR/registry.txt"
box_scenario newer-no "Version 1.1.2.1" '' 1 "バージョンチェック" \
  'インストールされているバージョンは[Version 1.1.2.1]です。\n\nリビジョンアップを行いますか？' 7
nothing_installed newer-no
box_scenario no-card "Version 1.1.1.0" '' 1 "データ転送" \
  'インストーラの転送に失敗しました。\nメモリカードを確認下さい。' 1
nothing_installed no-card
box_scenario install-create "Version 1.1.1.0" 'fail.CeCreateFile=2\n' 0 "データ転送" "データ転送に失敗しました。" 1
nothing_installed install-create
box_scenario write-fails "Version 1.1.1.0" 'fail.CeWriteFile=223\n' 1 "データ転送" \
  "データ転送中にエラーが発生しました。" 1
expect "write-fails: card copy complete" cmp -s "$package" "$RAVO_SIM_DIR/Storage Card/Q58ravoInstall.CAB"
expect "write-fails: no partial install copy" [ ! -e "$RAVO_SIM_DIR/Windows/AppMgr/Install/ravo+ for Q58.CAB" ]

echo "== wine-test: cancel during the card copy =="
export RAVO_SIM_DIR=$work/cancel-card
tools/demo_handheld.sh "$RAVO_SIM_DIR"
echo "bytes_per_second=2000000" >"$RAVO_SIM_DIR/sim.ini"
start_program
drive click "$main" 1
if drive wait-enabled "デバイスにデータを転送中*" 2 30000; then
  drive click "デバイスにデータを転送中*" 2
  expect "cancel-card: progress dialog closes" drive wait-gone "デバイスにデータを転送中*" 10000
  expect "cancel-card: main dialog back, enabled" drive wait-enabled "$main" 1 10000
  expect "cancel-card: option still ticked" [ "$(drive state "$main" 1002 | tr -d '\r')" = "enabled=1 checked=1" ]
  drive click "$main" 2
  expect "cancel-card: Exit ends the program" drive wait-gone "$main" 20000
else
  fail "cancel-card: Cancel never became available"
fi
stop_program
nothing_installed cancel-card

echo "== wine-test: newer version answered Yes, option cleared =="
export RAVO_SIM_DIR=$work/newer-yes
tools/demo_handheld.sh "$RAVO_SIM_DIR" "Version 1.1.2.1"
start_program
drive check "$main" 1002 0
drive click "$main" 1
if drive wait "バージョンチェック" 30000; then
  drive click "バージョンチェック" 6
  if drive wait "データ転送が完了しました" 60000; then
    drive click "データ転送が完了しました" 1
    expect "newer-yes: the program ends" drive wait-gone "$main" 20000
  else
    fail "newer-yes: no completion box"
  fi
else
  fail "newer-yes: no question"
fi
stop_program
expect "newer-yes: install copy equals the package" \
  cmp -s "$package" "$RAVO_SIM_DIR/Windows/AppMgr/Install/ravo+ for Q58.CAB"
expect "newer-yes: no card copy with the option cleared" [ ! -e "$RAVO_SIM_DIR/Storage Card/Q58ravoInstall.CAB" ]

echo "== wine-test: rapi.dll only beside the program, none in the system directory =="
export RAVO_SIM_DIR=$work/planted
tools/demo_handheld.sh "$RAVO_SIM_DIR"
system_dll="$WINEPREFIX/drive_c/windows/system32/rapi.dll"
mv "$system_dll" "$work/rapi.dll.saved"
mkdir -p "$work/planted-bin"
cp "$build/app/RavoVup.exe" "$build/sim/rapi.dll" "$work/planted-bin/"
(cd "$work/planted-bin" && "$RAVO_WINE" RavoVup.exe) &
program=$!
drive wait "$main" 60000
drive click "$main" 1
if drive wait "デバイス接続" 30000; then
  expect "planted: not initialised" grep -qxF "モバイルデバイスの初期化に失敗しました。" \
    <(drive texts "デバイス接続" | tr -d '\r' | cut -f3)
  drive click "デバイス接続" 1
  drive wait-enabled "$main" 1 10000
  drive click "$main" 2
  drive wait-gone "$main" 20000
else
  fail "planted: no connection box"
fi
stop_program
mv "$work/rapi.dll.saved" "$system_dll"
expect "planted: the DLL beside the program was never loaded" [ ! -e "$RAVO_SIM_DIR/calls.log" ]

if ((failures)); then
  echo "wine-test: $failures check(s) failed"
  exit 1
fi
echo "wine-test: all checks passed"
