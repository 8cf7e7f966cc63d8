"""Presses right after a box. The box's end enables the main dialog again
and makes it active while the attempt's window is still being destroyed:
that window waits for its worker to end the link, serving messages, and
the start button ignores a press until the attempt is over. The driver
presses only once the main dialog owns no dialog any more (see the README),
so each press below must be taken, however slowly the link ends."""
import time

from scenario import EXIT, OK, START


def test_presses_while_the_attempt_ends(scenario, text):
    d, h, main = scenario.driver, scenario.handheld, scenario.main
    # A link that fails to come up, and takes its time to be ended.
    h.configure(start="fail", **{"latency.CeRapiUninit": 1500})
    scenario.start()
    for attempt in (1, 2):
        assert d.click(main, START), f"attempt {attempt}: {d.windows()}"
        assert d.wait(text.kCaptionConnect, 30000), f"attempt {attempt}: no connection box, the press was lost"
        assert d.click(text.kCaptionConnect, OK) and d.wait_gone(text.kCaptionConnect, 10000)
    assert d.click(main, EXIT) and d.wait_gone(main, 20000), "Exit right after a box ends the program"
    scenario.stop()
    scenario.link_ended()


def test_a_start_while_the_attempt_ends_is_kept(scenario, text):
    """A person does not wait for the attempt's window to go: Start pressed
    the moment the box is answered starts the next attempt once this one has
    wholly ended, and Exit pressed then ends the program with no attempt
    after it. The commands reach the main dialog at once, without the
    driver's wait."""
    d, h, main = scenario.driver, scenario.handheld, scenario.main
    h.configure(start="fail", **{"latency.CeRapiUninit": 1500})
    scenario.start()
    assert d.click(main, START)
    for attempt in (1, 2):
        assert d.wait(text.kCaptionConnect, 30000), f"attempt {attempt}: no connection box, the press was lost"
        assert d.click(text.kCaptionConnect, OK) and d.wait_gone(scenario.progress_pattern, 10000)
        # The attempt's window now waits 1.5 s for its worker to end the
        # link, serving messages; the press lands inside that wait.
        time.sleep(0.3)
        assert d.command(main, START if attempt == 1 else EXIT), "the press reaches the main dialog"
    assert d.wait_gone(main, 20000), "Exit ends the program after the attempt"
    scenario.stop()
    starts, ends = h.link_counts()
    assert (starts, ends) == (2, 2), f"two attempts, no third: {starts} starts, {ends} ends"
