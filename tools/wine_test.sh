#!/usr/bin/env bash
# `make wine-test`: the Windows program under Wine with the simulated
# handheld, driven from outside through its windows, in a fresh prefix.
#   wine_test.sh <build dir>        x86_64 or i686; runs itself again under xvfb-run
# The 64-bit UI driver drives either program. Every driver step goes to
# build/wine-test/<arch>/transcript.txt, in order; a failed check also leaves
# a screenshot beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="$(cd "$1" && pwd)"
arch=$(basename "$build")
work=$root/build/wine-test/$arch
driver=$root/build/x86_64/tools/ui_driver/ui_driver.exe

if [ -z "${RAVO_WINE_TEST_INNER:-}" ]; then
  source tools/wine_env.sh
  if [ "$arch" = i686 ] && [ "$RAVO_WINE_32BIT" = 0 ]; then
    echo "wine-test $arch: SKIP: this machine cannot run 32-bit programs" \
      "($(/usr/lib/wine/wine --version 2>&1 | head -1))"
    exit 0
  fi
  rm -rf "$work"
  mkdir -p "$work"
  # Every wait below has its own limit; this one bounds the whole run.
  RAVO_WINE_TEST_INNER=1 exec timeout 540 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

source tools/wine_env.sh
export LC_ALL=C.UTF-8
export WINEPREFIX=$work/prefix
if [ "$arch" = i686 ]; then
  wine_prefix_prepare "$WINEPREFIX" "$root/build/x86_64/sim/rapi.dll" "$build/sim/rapi.dll"
  system_dll="$WINEPREFIX/drive_c/windows/syswow64/rapi.dll"
else
  wine_prefix_prepare "$WINEPREFIX" "$build/sim/rapi.dll"
  system_dll="$WINEPREFIX/drive_c/windows/system32/rapi.dll"
fi
transcript=$work/transcript.txt
export RAVO_TRANSCRIPT="Z:$transcript"

drive() { "$RAVO_WINE" "$driver" "$@"; }
package=$build/resources/package.cab
main="ravo+ for Q58"
failures=0
program=
timings=()

fail() {
  failures=$((failures + 1))
  echo "FAIL ($arch): $*"
  echo "FAIL: $*" >>"$transcript"
  import -window root "$work/failure-$failures.png" 2>/dev/null || true
}
expect() {  # expect <description> <command...>
  local what="$1"
  shift
  "$@" || fail "$what"
}
scenario_name=
scenario_start=0
scenario() {  # scenario <name>: a fresh handheld folder of that name
  scenario_end
  scenario_name=$1
  scenario_start=$(date +%s%N)
  echo "== wine-test ($arch): $1 =="
  echo "== $1" >>"$transcript"
  export RAVO_SIM_DIR=$work/$1
  tools/demo_handheld.sh "$RAVO_SIM_DIR" "${2-Version 1.1.1.0}"
}
scenario_end() {
  [ -n "$scenario_name" ] || return 0
  wineserver -w
  timings+=("$(printf '%-16s %5.1f s' "$scenario_name" "$((($(date +%s%N) - scenario_start) / 1000000))e-3")")
  scenario_name=
}
start_program() {
  "$RAVO_WINE" "$build/app/RavoVup.exe" &
  program=$!
  drive wait "$main" 60000
}
stop_program() {
  # Its windows gone, the program may still take a moment to exit.
  for _ in $(seq 100); do [ -n "$program" ] && kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
    fail "the program was still running; stopping it"
    kill "$program" 2>/dev/null || true
  fi
  wait "$program" 2>/dev/null || true
  program=
}
# has_line <file> <exact line>: the simulated handheld writes CR-LF lines.
has_line() { tr -d '\r' <"$1" | grep -qxF -- "$2"; }
# From a `texts` listing: the message (the box's one text line) and the
# ids of its buttons.
box_message() { tr -d '\r' <"$1" | awk -F'\t' '$1 == "-1" && $2 == "Static" { print $3 }'; }
box_buttons() { tr -d '\r' <"$1" | awk -F'\t' '$2 == "Button" { printf "%s%s", sep, $1; sep = " " }'; }
option_is() { [ "$(drive state "$main" 1002 | tr -d '\r')" = "enabled=1 checked=$1" ]; }
# The captions of the boxes a cancelled attempt must not show.
box_captions="データ転送|デバイス接続|バージョンチェック"
no_box() { ! drive windows | grep -qE "$box_captions"; }
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
set -E
trap 'echo "wine-test ($arch): stopped by a failing command at line $LINENO: $BASH_COMMAND"' ERR

card_copy() { echo "$RAVO_SIM_DIR/Storage Card/Q58ravoInstall.CAB"; }
install_copy() { echo "$RAVO_SIM_DIR/Windows/AppMgr/Install/ravo+ for Q58.CAB"; }
# A link slow enough for the driver to see every stage and many percentages,
# and a faster one, still slow enough for that, for the second attempts.
link='bytes_per_second=20000000\nlatency_ms=2\n'
fast_link='bytes_per_second=100000000\nlatency_ms=2\n'
# start_under <output file> <driver command...>: the driver command runs in
# the background, already watching when the start button is pressed; its exit
# code is returned and run_ms holds the time from the press to its end.
start_under() {
  local output=$1 watcher started
  shift
  drive "$@" >"$output" &
  watcher=$!
  # `watch` prints at once when it begins.
  for _ in $(seq 500); do [ -s "$output" ] || ! kill -0 "$watcher" 2>/dev/null && break; sleep 0.02; done
  drive click "$main" 1
  started=$(date +%s%N)
  wait "$watcher" || return
  run_ms=$((($(date +%s%N) - started) / 1000000))
}
# complete_run <option 0|1>: from the start button to the program's end.
complete_run() {
  drive check "$main" 1002 "$1"
  if start_under "$work/$scenario_name.watch" watch "データ転送が完了しました" 60000; then
    expect "$scenario_name: progress as expected" \
      tools/check_progress.py "$work/$scenario_name.watch" "$([ "$1" = 1 ] && echo --card || echo --no-card)"
    local box=$work/$scenario_name.done
    drive texts "データ転送が完了しました" >"$box"
    expect "$scenario_name: completion text" [ "$(box_message "$box")" = \
      "インストールの完了に必要な追加手順がないか、モバイル デバイスの画面を確認してください。" ]
    expect "$scenario_name: OK only" [ "$(box_buttons "$box")" = 1 ]
    expect "$scenario_name: a completed revision-up closes the program" \
      drive do "click|データ転送が完了しました|1" "wait-gone|$main|20000"
  else
    fail "$scenario_name: no completion box"
  fi
  stop_program
  expect "$scenario_name: install copy equals the package" cmp -s "$package" "$(install_copy)"
  expect "$scenario_name: installer started" \
    has_line "$RAVO_SIM_DIR/processes.log" 'wceload /noaskdest "\Windows\AppMgr\Install\ravo+ for Q58.CAB"'
  if [ "$1" = 1 ]; then
    expect "$scenario_name: card copy equals the package" cmp -s "$package" "$(card_copy)"
    expect "$scenario_name: card copy read-only" \
      has_line "$RAVO_SIM_DIR/attributes.txt" '00000001 \Storage Card\Q58ravoInstall.CAB'
  fi
}

# A read-only card copy, from an earlier run, with other content: replaced.
scenario happy-card
printf "$link" >"$RAVO_SIM_DIR/sim.ini"
head -c 4096 /dev/urandom >"$(card_copy)"
printf '00000001 \\Storage Card\\Q58ravoInstall.CAB\r\n' >"$RAVO_SIM_DIR/attributes.txt"
start_program
expect "memory-card option ticked at start" option_is 1
complete_run 1
expect "launcher entry removed" bash -c '! grep -qF "ZenLaunch\\FileList\\ravo+(GPS)]" "$1"' _ "$RAVO_SIM_DIR/registry.txt"
expect "DPI written" has_line "$RAVO_SIM_DIR/registry.txt" '"DPI"=dword:00000060'

scenario happy-no-card
printf "$link" >"$RAVO_SIM_DIR/sim.ini"
start_program
complete_run 0
expect "no card copy with the option cleared" [ ! -e "$(card_copy)" ]

# cancel_copy <name> <option> <status of the copy to cancel>
cancel_copy() {
  scenario "$1"
  echo "bytes_per_second=4000000" >"$RAVO_SIM_DIR/sim.ini"
  start_program
  drive check "$main" 1002 "$2"
  drive click "$main" 1
  if drive wait-bar "デバイスにデータを転送中*" 10 30000 && grep -qF "$3" <(drive texts "デバイス*"); then
    drive click "デバイスにデータを転送中*" 2
    expect "$1: cancel closes the progress dialog" drive wait-gone "デバイス*" 10000
    expect "$1: main dialog stays, enabled" drive wait-enabled "$main" 1 10000
    expect "$1: no message box after a cancel" no_box
    expect "$1: option as the user left it" option_is "$2"
    drive click "$main" 2
    expect "$1: Exit ends the program" drive wait-gone "$main" 20000
  else
    fail "$1: Cancel never became available during: $3"
  fi
  stop_program
  expect "$1: no partial install copy" [ ! -e "$(install_copy)" ]
  expect "$1: installer not started" [ ! -s "$RAVO_SIM_DIR/processes.log" ]
}
cancel_copy cancel-install 0 "アプリケーションをインストールしています..."
expect "cancel-install: no card copy with the option cleared" [ ! -e "$(card_copy)" ]
cancel_copy cancel-card 1 "インストーラファイルを転送しています..."
expect "cancel-card: no partial card copy" [ ! -e "$(card_copy)" ]

scenario escape-connect
echo "start=never" >"$RAVO_SIM_DIR/sim.ini"
start_program
drive click "$main" 1
if drive wait "デバイスのデータを取得中" 30000; then
  sleep 1  # the worker is now inside the 5 s connect wait; Cancel is disabled
  drive command "デバイスのデータを取得中" 2
  expect "Escape closes the progress dialog" drive wait-gone "デバイスのデータを取得中" 15000
  expect "main dialog stays, enabled" drive wait-enabled "$main" 1 10000
  expect "no connection box after a cancel" no_box
  drive click "$main" 2
  expect "Exit ends the program" drive wait-gone "$main" 20000
else
  fail "no progress dialog"
fi
stop_program
expect "registry untouched" grep -qF 'ZenLaunch\FileList\ravo+(GPS)]' "$RAVO_SIM_DIR/registry.txt"

# box_scenario <name> <version line> <sim.ini text> <option 0|1> <caption> <exact text> <button>
# One attempt that ends in one message box; afterwards the main dialog is
# back, enabled, with the option as the user left it. The function named by
# $prepare adjusts the handheld first, the one named by $after checks it once
# the box is answered; then the handheld is mended and a second attempt from
# the same window completes.
box_scenario() {
  local name="$1" version="$2" ini="$3" option="$4" caption="$5" text="$6" button="$7"
  scenario "$name" "$version"
  printf '%b' "$ini" >"$RAVO_SIM_DIR/sim.ini"
  [ -z "${prepare:-}" ] || "$prepare"
  start_program
  local box=$work/$name.box answered=$work/$name.answered
  if drive do "check|$main|1002|$option" "click|$main|1" "wait|$caption|30000" "texts|$caption" >"$box"; then
    expect "$name: message text" [ "$(box_message "$box")" = "$text" ]
    expect "$name: buttons" [ "$(box_buttons "$box")" = "$([ "$button" = 1 ] && echo 1 || echo 6 7)" ]
    expect "$name: the box answered, the progress dialog closes, the main dialog is back and enabled" \
      drive do "click|$caption|$button" "wait-gone|デバイス*|20000" "wait-enabled|$main|1|10000" \
      "state|$main|1002" >"$answered"
    expect "$name: option as the user left it" grep -qx "enabled=1 checked=$option" <(tr -d '\r' <"$answered")
    [ -z "${after:-}" ] || "$after" "$name"
    mend_handheld
    complete_run "$option"
    link_ended "$name" "$([ "$name" = refused ] && echo 1 || echo 0)"
  else
    fail "$name: no box captioned $caption"
    stop_program
  fi
}
mend_handheld() {
  printf "$fast_link" >"$RAVO_SIM_DIR/sim.ini"
  mkdir -p "$RAVO_SIM_DIR/Storage Card"
  printf 'ravo+ for Q58\r\nVersion 1.1.1.0\r\n' >"$RAVO_SIM_DIR/Built-in Storage/Program Files/Svcore/Svcore.ver"
}
nothing_installed() {  # nothing_installed <name>: no file from this run is left
  expect "$1: no card copy" [ ! -e "$(card_copy)" ]
  expect "$1: no install copy" [ ! -e "$(install_copy)" ]
  expect "$1: installer not started" [ ! -s "$RAVO_SIM_DIR/processes.log" ]
}
registry_untouched() {
  nothing_installed "$1"
  expect "$1: registry untouched" grep -qF 'ZenLaunch\FileList\ravo+(GPS)]' "$RAVO_SIM_DIR/registry.txt"
}
# link_ended <name> <starts refused>: from the call record, every start of the
# link that was not refused was ended exactly once.
link_ended() {
  local counts started ended
  counts=$({ cat "$RAVO_SIM_DIR/calls.log" 2>/dev/null || true; } | tr -d '\r' |
    awk '/^CeRapiInitEx/ && !/injected/ { s++ } /^CeRapiUninit/ { e++ } END { print s + 0, e + 0 }')
  read -r started ended <<<"$counts"
  expect "$1: $started starts ($2 refused), $ended ends of the link" [ "$ended" = $((started - $2)) ]
}
no_card() { rm -rf "$RAVO_SIM_DIR/Storage Card"; }
empty_version_file() { : >"$RAVO_SIM_DIR/Built-in Storage/Program Files/Svcore/Svcore.ver"; }
card_copy_kept() {
  expect "$1: card copy complete" cmp -s "$package" "$(card_copy)"
  expect "$1: no partial install copy" [ ! -e "$(install_copy)" ]
  expect "$1: installer not started" [ ! -s "$RAVO_SIM_DIR/processes.log" ]
}

after=registry_untouched box_scenario refused "Version 1.1.1.0" 'start=refuse\n' 1 "デバイス接続" \
  "モバイルデバイスの初期化に失敗しました。" 1
after=registry_untouched box_scenario start-failed "Version 1.1.1.0" 'start=fail\n' 0 "デバイス接続" \
  "モバイルデバイスの接続に失敗しました。" 1
after=registry_untouched box_scenario no-start "Version 1.1.1.0" 'start=never\n' 1 "デバイス接続" \
  "モバイルデバイスと接続されていません。" 1
after=registry_untouched box_scenario not-installed "" '' 1 "バージョンチェック" "ravoがインストールされていません。" 1
after=registry_untouched box_scenario too-old "Version 1.0.9.9" '' 0 "バージョンチェック" \
  'インストールされているバージョンは[Version 1.0.9.9]です。\n\nリビジョンアップを行うには、[Version 1.1.0.0]以降が必要です。' 1
prepare=empty_version_file after=registry_untouched box_scenario empty-version "Version 1.1.1.0" '' 1 "バージョンチェック" \
  'インストールされているバージョンは[]です。\n\nリビジョンアップを行うには、[Version 1.1.0.0]以降が必要です。' 1
after=registry_untouched box_scenario newer-no "Version 1.1.2.1" '' 1 "バージョンチェック" \
  'インストールされているバージョンは[Version 1.1.2.1]です。\n\nリビジョンアップを行いますか？' 7
prepare=no_card after=nothing_installed box_scenario no-card "Version 1.1.1.0" '' 1 "データ転送" \
  'インストーラの転送に失敗しました。\nメモリカードを確認下さい。' 1
after=nothing_installed box_scenario install-create "Version 1.1.1.0" 'fail.CeCreateFile=2\n' 0 "データ転送" \
  "データ転送に失敗しました。" 1
# The second attempt replaces the read-only card copy this one leaves.
after=card_copy_kept box_scenario write-fails "Version 1.1.1.0" 'fail.CeWriteFile=223\n' 1 "データ転送" \
  "データ転送中にエラーが発生しました。" 1

scenario newer-yes "Version 1.1.2.1"
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
expect "newer-yes: install copy equals the package" cmp -s "$package" "$(install_copy)"
expect "newer-yes: no card copy with the option cleared" [ ! -e "$(card_copy)" ]

scenario planted
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

source tools/wine_storm.sh
scenario_end

echo "wine-test ($arch): time per scenario"
printf '  %s\n' "${timings[@]}"
echo "wine-test ($arch): transcript in $transcript"
if ((failures)); then
  echo "wine-test ($arch): $failures check(s) failed"
  exit 1
fi
echo "wine-test ($arch): all checks passed"
