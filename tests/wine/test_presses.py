"""Presses right after a box. The box's end enables the main dialog again
and makes it active while the attempt's window is still being destroyed:
that window waits for its worker to end the link, serving messages, and
the start button ignores a press until the attempt is over. The driver
presses only once the main dialog owns no dialog any more (see the README),
so each press below must be taken, however slowly the link ends."""
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
