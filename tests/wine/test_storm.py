"""The cancel storm: twenty attempts in one program, each cancelled by
Escape at a random moment on a link slow enough to give every stage time.
The i-th attempt cancels within the i-th twentieth of a whole run, timed
first, so the moments cover the run from start to end."""
import random
from collections import Counter

import handheld as hh
from scenario import EXIT, OK, READING_MS, START

# The link comes up as slowly as in the timed whole run.
STORM_LINK = dict(bytes_per_second=40_000_000, latency_ms=5, **{"latency.CeRapiInitEx": READING_MS})
ATTEMPTS = 20


def test_storm(scenario, text, package, options):
    d, main = scenario.driver, scenario.main
    log = scenario.transcript.write
    rng = random.Random(options.storm_seed)
    log(f"storm: seed {options.storm_seed} (--storm-seed repeats it)")
    scenario.handheld.configure(**STORM_LINK)
    scenario.start()
    span = scenario.complete_run(1) * 8 // 10
    log(f"storm: cancelling within the first {span} ms of a whole run")

    def fresh_program():
        # What a completed run left goes; what the storm leaves is its own.
        scenario.new_handheld().configure(**STORM_LINK)
        scenario.start()

    stage_of = {text.kStatusReading: "before-copies", text.kStatusCardCopy: "card-copy",
                text.kStatusInstall: "install-copy"}
    landed, slowest = Counter(), 0
    fresh_program()
    for i in range(ATTEMPTS):
        # The first three aim at the short stage before the copies.
        delay = 0 if i < 2 else rng.randrange(50) if i == 2 else (i * span + rng.randrange(span)) // ATTEMPTS
        assert d.click(main, START)
        cancel = d.cancel(scenario.progress_pattern, delay, 5000)
        if not cancel:
            # The last copy ended before Escape came: a whole revision-up,
            # which ends the program and is started again.
            assert d.wait(text.kDoneCaption, 1000), f"storm {i}: Escape at {delay} ms: {cancel}"
            landed["completed"] += 1
            assert d.click(text.kDoneCaption, OK) and d.wait_gone(main, 20000), \
                f"storm {i}: a completed revision-up closes the program"
            scenario.stop()
            assert scenario.handheld.holds(hh.INSTALL_COPY, package), f"storm {i}: completed: install copy"
            scenario.link_ended()
            fresh_program()
            continue
        assert d.wait_ready(main, START, 10000), f"storm {i}: the main dialog is back, enabled and active"
        at, closed = cancel.rows()[0], cancel.rows()[-1][0]
        slowest = max(slowest, int(closed.removeprefix("closed after ").removesuffix(" ms")))
        landed[stage_of.get(at[2] if len(at) > 2 else None, "elsewhere")] += 1
        assert scenario.no_box(), f"storm {i}: no message box after a cancel"
        h = scenario.handheld
        for copy in (hh.CARD_COPY, hh.INSTALL_COPY):
            assert not h.path(copy).exists() or h.holds(copy, package), f"storm {i}: no partial file: {copy}"
        assert not h.installer_started(), f"storm {i}: installer not started"
    scenario.link_ended()
    scenario.transcript.note(f"storm: {ATTEMPTS} attempts, the slowest closed {slowest} ms after Escape; landed: "
        + " ".join(f"{stage} {landed[stage]}" for stage in stage_of.values())
        + f" (too late, run completed: {landed['completed']})")
    for stage in stage_of.values():
        assert landed[stage] > 0, f"storm: no cancel landed in {stage}"
    assert d.click(main, EXIT) and d.wait_gone(main, 20000), "storm: Exit ends the program"
    scenario.stop()
