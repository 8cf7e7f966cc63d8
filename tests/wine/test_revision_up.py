"""Whole revision-ups, with and without the memory-card copy."""
import os

import handheld as hh
from scenario import OK, OPTION, START, YES
from test_boxes import NEWER

# Slow enough for the driver to see every stage and many percentages.
LINK = dict(bytes_per_second=20_000_000, latency_ms=2)


def test_happy_card(scenario):
    """Over a read-only card copy with other content, left by an earlier run."""
    h = scenario.handheld
    h.configure(**LINK)
    h.path(hh.CARD_COPY).write_bytes(os.urandom(4096))
    h.path("attributes.txt").write_bytes((hh.READ_ONLY_CARD_COPY + "\r\n").encode())
    scenario.start()
    assert scenario.option_is(1), "memory-card option ticked at start"
    scenario.complete_run(1)
    assert not h.launcher_entry(), "launcher entry removed"
    assert '"DPI"=dword:00000060' in h.lines("registry.txt"), "DPI written"


def test_happy_no_card(scenario):
    scenario.handheld.configure(**LINK)
    scenario.start()
    scenario.complete_run(0)
    assert not scenario.handheld.path(hh.CARD_COPY).exists(), "no card copy with the option cleared"


def test_newer_yes(scenario, text, package):
    d, h, main = scenario.driver, scenario.handheld, scenario.main
    h.write_version(NEWER)
    scenario.start()
    assert d.check(main, OPTION, 0) and d.click(main, START)
    assert d.wait(text.kCaptionVersion, 30000), "no question"
    assert d.click(text.kCaptionVersion, YES)
    assert d.wait(text.kDoneCaption, 60000), "no completion box"
    assert d.click(text.kDoneCaption, OK) and d.wait_gone(main, 20000), "the program ends"
    scenario.stop()
    assert h.holds(hh.INSTALL_COPY, package), "install copy equals the package"
    assert not h.path(hh.CARD_COPY).exists(), "no card copy with the option cleared"
