# Sourced by wine_test.sh: the cancel storm. Twenty attempts in one program,
# each cancelled by Escape at a random moment on a link slow enough to give
# every stage time: the i-th attempt cancels within the i-th twentieth of a
# whole run, timed first, so the moments cover the run from start to end.
scenario storm
storm_ini='bytes_per_second=40000000\nlatency_ms=5\n'
printf "$storm_ini" >"$RAVO_SIM_DIR/sim.ini"
start_program
complete_run 1
attempts=20
span=$((run_ms * 8 / 10))
echo "storm: a whole run took $run_ms ms; cancelling within the first $span ms" | tee -a "$transcript"
# The completed run's files and installer record go; what the storm leaves is its own.
tools/demo_handheld.sh "$RAVO_SIM_DIR"
printf "$storm_ini" >"$RAVO_SIM_DIR/sim.ini"
start_program
declare -A landed=()
slowest=0
for ((i = 0; i < attempts; i++)); do
  # The first three aim at the short stage before the copies.
  case $i in
    0 | 1) delay=0 ;;
    2) delay=$((RANDOM % 50)) ;;
    *) delay=$(((i * span + RANDOM % span) / attempts)) ;;
  esac
  # One driver process an attempt: press start, Escape after the delay, the
  # main dialog back, and what windows are left.
  if ! drive do "click|$main|1" "cancel|デバイス*|$delay|5000" "wait-enabled|$main|1|10000" windows \
    >"$work/storm.cancel"; then
    if ! drive wait "データ転送が完了しました" 1000; then
      fail "storm $i: Escape at $delay ms: $(tr -d '\r' <"$work/storm.cancel" | tail -1)"
      break
    fi
    # The last copy ended before Escape came: a whole revision-up, which ends the program.
    landed[completed]=$((${landed[completed]:-0} + 1))
    drive click "データ転送が完了しました" 1
    expect "storm $i: a completed revision-up closes the program" drive wait-gone "$main" 20000
    stop_program
    expect "storm $i: completed: install copy equals the package" cmp -s "$package" "$(install_copy)"
    link_ended "storm up to $i" 0
    tools/demo_handheld.sh "$RAVO_SIM_DIR"
    printf "$storm_ini" >"$RAVO_SIM_DIR/sim.ini"
    start_program
    continue
  fi
  seen=$(<"$work/storm.cancel")
  closed=${seen##*closed after }
  closed=${closed%% ms*}
  ((closed <= slowest)) || slowest=$closed
  case "$seen" in
    *取得しています*) landed[before-copies]=$((${landed[before-copies]:-0} + 1)) ;;
    *インストーラファイル*) landed[card-copy]=$((${landed[card-copy]:-0} + 1)) ;;
    *アプリケーションをインストール*) landed[install-copy]=$((${landed[install-copy]:-0} + 1)) ;;
  esac
  expect "storm $i: no message box after a cancel" \
    bash -c '! sed -n "/^closed after/,\$p" "$1" | grep -qE "$2"' _ "$work/storm.cancel" "$box_captions"
  for copy in "$(card_copy)" "$(install_copy)"; do
    [ ! -e "$copy" ] || expect "storm $i: no partial file: $copy" cmp -s "$package" "$copy"
  done
  expect "storm $i: installer not started" [ ! -s "$RAVO_SIM_DIR/processes.log" ]
done
link_ended storm 0
summary="storm: $i attempts, the slowest closed $slowest ms after Escape; landed:"
for stage in before-copies card-copy install-copy; do
  summary+=" $stage ${landed[$stage]:-0}"
  [ "${landed[$stage]:-0}" -gt 0 ] || fail "storm: no cancel landed in $stage"
done
summary+=" (too late, run completed: ${landed[completed]:-0})"
echo "$summary" | tee -a "$transcript"
drive click "$main" 2
expect "storm: Exit ends the program" drive wait-gone "$main" 20000
stop_program
