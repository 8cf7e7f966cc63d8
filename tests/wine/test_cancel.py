"""A cancel leaves no box, no partial file and no installer started, and
gives the main dialog back."""
import pytest

import handheld as hh
from scenario import CANCEL, EXIT, OPTION, START
from texts import TEXT as T


@pytest.mark.parametrize("option, status", [(0, T.kStatusInstall), (1, T.kStatusCardCopy)],
                         ids=["cancel-install", "cancel-card"])
def test_cancel_copy(scenario, text, option, status):
    """Cancel pressed at 10 % of the copy that shows that status."""
    d, h, main = scenario.driver, scenario.handheld, scenario.main
    h.configure(bytes_per_second=4_000_000)
    scenario.start()
    assert d.check(main, OPTION, option) and d.click(main, START)
    copying = text.kTitleTransfer + "*"
    assert d.wait_bar(copying, 10, 30000), "the copy did not reach 10 %"
    shown = d.texts(scenario.progress_pattern)
    assert shown and status in shown.texts, f"Cancel never came during: {status}"
    assert d.click(copying, CANCEL)
    assert d.wait_gone(scenario.progress_pattern, 10000), "cancel closes the progress dialog"
    assert d.wait_ready(main, START, 10000), "main dialog stays, enabled and active"
    assert scenario.no_box(), "no message box after a cancel"
    assert scenario.option_is(option), "option as the user left it"
    assert d.click(main, EXIT) and d.wait_gone(main, 20000), "Exit ends the program"
    scenario.stop()
    assert not h.path(hh.INSTALL_COPY).exists(), "no partial install copy"
    assert not h.installer_started(), "installer not started"
    assert not h.path(hh.CARD_COPY).exists(), "no card copy, partial or with the option cleared"


def test_escape_connect(scenario, text):
    """Escape while the connection does not come, Cancel being disabled: the
    connect's wait watches the cancel as well, so the dialog goes at once
    rather than when the start's time limit runs out."""
    d, h, main = scenario.driver, scenario.handheld, scenario.main
    h.configure(start="never")
    scenario.start()
    assert d.click(main, START)
    # A second into the dialog, the worker is inside its connect wait.
    cancel = d.cancel(text.kTitleReading, 1000, 5000)
    assert cancel, f"Escape closes the progress dialog: {cancel}"
    closed = int(cancel.rows()[-1][0].removeprefix("closed after ").removesuffix(" ms"))
    scenario.transcript.note(f"Escape during the connect: dialog gone after {closed} ms")
    # The aim is 100 ms; the bound is generous for a loaded machine, and far
    # below the 5000 ms of a wait that does not watch the cancel.
    assert closed < 1500, f"the dialog took {closed} ms to go after Escape"
    assert d.wait_ready(main, START, 10000), "main dialog stays, enabled and active"
    assert scenario.no_box(), "no connection box after a cancel"
    assert d.click(main, EXIT) and d.wait_gone(main, 20000), "Exit ends the program"
    scenario.stop()
    scenario.link_ended()
    assert h.launcher_entry(), "registry untouched"
