"""Every failure box: one attempt on a handheld broken in one way ends in
one message box with its exact caption, text and buttons; once it is
answered the main dialog is back, enabled, with the option as the user left
it, and the handheld holds what it must. Then the handheld is mended and a
second attempt from the same window completes."""
from dataclasses import dataclass
from typing import Callable

import pytest

import handheld as hh
from scenario import NO, OK, OPTION, START, YES, Scenario
from texts import TEXT as T

NEWER = "Version 1.1.2.1"  # above the package's own version
TOO_OLD = "Version 1.0.9.9"  # below the oldest version that may be revised


@dataclass
class Box:
    code: int  # the code the program reports
    name: str
    breaks: Callable  # (handheld, package): what is wrong on the handheld
    option: int  # the memory-card option as the user sets it
    caption: str
    message: str
    answer: int  # the button pressed: OK on a box with OK alone, else Yes or No
    unchanged: Callable  # the Scenario check of what the attempt left alone


def sim(**keys):
    return lambda h, package: h.configure(**keys)


def write_fails_in_install_copy(h, package):
    # The card copy takes one write a chunk; the install copy follows it.
    h.configure(**{"fail.CeWriteFile": package.chunks + max(1, package.chunks // 3)})


def both_copies_kept(scenario):
    h = scenario.handheld
    assert h.holds(hh.CARD_COPY, scenario.package), "card copy complete"
    assert hh.READ_ONLY_CARD_COPY in h.lines("attributes.txt"), "card copy read-only"
    assert h.holds(hh.INSTALL_COPY, scenario.package), "install copy complete"
    assert not h.installer_started(), "installer not started"


BOXES = [
    Box(1, "refused", sim(start="refuse"), 1, T.kCaptionConnect, T.kInitFailed, OK, Scenario.registry_untouched),
    Box(2, "start-failed", sim(start="fail"), 0, T.kCaptionConnect, T.kConnectFailed, OK,
        Scenario.registry_untouched),
    Box(3, "no-start", sim(start="never"), 1, T.kCaptionConnect, T.kNotConnected, OK, Scenario.registry_untouched),
    Box(6, "not-installed", lambda h, p: h.path(hh.VERSION_FILE).unlink(), 1, T.kCaptionVersion, T.kNotInstalled,
        OK, Scenario.registry_untouched),
    Box(7, "too-old", lambda h, p: h.write_version(TOO_OLD), 0, T.kCaptionVersion,
        T.kVersionTooOldTemplate % (TOO_OLD, T.RAVO_MINIMUM_VERSION), OK, Scenario.registry_untouched),
    Box(7, "empty-version", lambda h, p: h.path(hh.VERSION_FILE).write_bytes(b""), 1, T.kCaptionVersion,
        T.kVersionTooOldTemplate % ("", T.RAVO_MINIMUM_VERSION), OK, Scenario.registry_untouched),
    Box(8, "newer-no", lambda h, p: h.write_version(NEWER), 1, T.kCaptionVersion, T.kVersionNewerTemplate % NEWER,
        NO, Scenario.registry_untouched),
    Box(9, "installer-start", sim(**{"fail.CeCreateProcess": 1}), 1, T.kCaptionTransfer, T.kInstallerStartFailed,
        OK, both_copies_kept),
    Box(13, "no-card", lambda h, p: h.remove_card(), 1, T.kCaptionTransfer, T.kCardCreateFailed, OK,
        Scenario.nothing_installed),
    Box(11, "install-create", sim(**{"fail.CeCreateFile": 2}), 0, T.kCaptionTransfer, T.kInstallCreateFailed, OK,
        Scenario.nothing_installed),
    # The second attempt replaces the read-only card copy this one leaves.
    Box(12, "write-fails", write_fails_in_install_copy, 1, T.kCaptionTransfer, T.kWriteFailed, OK,
        Scenario.card_copy_kept),
]


@pytest.mark.parametrize("box", BOXES, ids=[b.name for b in BOXES])
def test_box(scenario, box, package):
    d, h, main = scenario.driver, scenario.handheld, scenario.main
    box.breaks(h, package)
    refused = "start=refuse" in h.lines("sim.ini")  # a refused start is never ended
    scenario.start()
    assert d.check(main, OPTION, box.option) and d.click(main, START)
    assert d.wait(box.caption, 30000), f"code {box.code}: no box captioned {box.caption}"
    shown = d.texts(box.caption)
    assert shown.message == box.message, f"code {box.code}: message text"
    assert shown.buttons == ((OK,) if box.answer == OK else (YES, NO)), f"code {box.code}: buttons"
    assert d.click(box.caption, box.answer) and d.wait_gone(box.caption, 10000), "the box closes"
    assert d.wait_gone(scenario.progress_pattern, 20000), "the progress dialog closes"
    assert d.wait_ready(main, START, 10000), "the main dialog is back, enabled and active"
    assert scenario.option_is(box.option), "option as the user left it"
    box.unchanged(scenario)

    h.configure(bytes_per_second=100_000_000, latency_ms=2)
    h.path(hh.CARD).mkdir(exist_ok=True)
    h.write_version("Version 1.1.1.0")
    scenario.complete_run(box.option)
    scenario.link_ended(refused=int(refused))
