"""Runs from the command line: /quiet shows no window at all, /passive only
the progress dialog, and the exit code says how the run ended. A refused
command line ends with 87 before the handheld is touched."""
import time

import pytest

import handheld as hh
from scenario import CANCEL, OK
from test_boxes import NEWER, TOO_OLD
from texts import TEXT as T

CANCELLED = 1223 % 256  # Wine hands exit codes over modulo 256
INVALID_PARAMETER = 87


def run_watching(scenario, *args, limit_s=60):
    """Runs the program with arguments to its end; returns its exit code and
    the titles of every top-level window seen meanwhile."""
    program = scenario.launch(*args)
    seen = set()
    deadline = time.monotonic() + limit_s
    while program.running and time.monotonic() < deadline:
        seen.update(scenario.driver.windows())
        time.sleep(0.2)  # a box would stay until the limit: it cannot be missed
    code = program.wait(1)
    scenario.program = None
    if code is None:
        program.kill()
    scenario.transcript.write(f"-- exit code {code}, windows seen: {sorted(seen)}")
    assert code is not None, f"the program did not end within {limit_s} s"
    return code, seen


def test_quiet_completes(scenario, package):
    h = scenario.handheld
    code, seen = run_watching(scenario, "/quiet")
    assert code == 0, "exit code of a completed revision-up"
    assert not seen, "no window at all"
    assert h.holds(hh.CARD_COPY, package), "card copy equals the package"
    assert h.holds(hh.INSTALL_COPY, package), "install copy equals the package"
    assert hh.READ_ONLY_CARD_COPY in h.lines("attributes.txt"), "card copy read-only"
    assert h.lines("processes.log") == [hh.INSTALLER_LINE], "installer started once"
    assert not h.launcher_entry(), "launcher entry removed"
    scenario.link_ended()


def test_quiet_too_old(scenario):
    scenario.handheld.write_version(TOO_OLD)
    code, seen = run_watching(scenario, "-QUIET", "/newer")
    assert code == 7, "exit code of a version that is too old"
    assert not seen, "no box"
    scenario.registry_untouched()
    scenario.link_ended()


@pytest.mark.parametrize("start, expected", [("never", 3), ("refuse", 1)], ids=["no-start", "refused"])
def test_quiet_no_handheld(scenario, start, expected):
    """Bounded by the connection's limit of 5 s, with Wine's start-up on top."""
    scenario.handheld.configure(start=start)
    code, seen = run_watching(scenario, "/quiet", limit_s=30)
    assert code == expected, "exit code without a handheld"
    assert not seen, "no box"
    scenario.registry_untouched()


def test_quiet_installer_not_started(scenario, package):
    """Both copies made, the installer not started: 9, never 0."""
    h = scenario.handheld
    h.configure(**{"fail.CeCreateProcess": 1})
    code, seen = run_watching(scenario, "/quiet")
    assert code == 9, "exit code of an installer that did not start"
    assert not seen, "no box"
    assert h.holds(hh.INSTALL_COPY, package), "the complete install copy stays"
    assert hh.READ_ONLY_CARD_COPY in h.lines("attributes.txt"), "card copy read-only"
    assert not h.installer_started(), "installer not started"


def test_quiet_log_unwritable(scenario, package):
    """A log file that cannot be written changes nothing else."""
    assert scenario.run("/quiet", "/log", r"Z:\no such folder\run.log") == 0
    assert scenario.handheld.holds(hh.INSTALL_COPY, package), "install copy equals the package"


def test_passive_completes(scenario, text, package):
    d, h = scenario.driver, scenario.handheld
    h.configure(bytes_per_second=20_000_000, latency_ms=2)
    program = scenario.launch("/passive", "/nocard")
    assert d.wait(scenario.progress_pattern, 60000), "the progress dialog shows"
    assert d.wait_bar(text.kTitleTransfer + "*", 50, 30000), "the progress bar moves"
    assert text.kDemoAppTitle not in d.windows(), "no main dialog"
    # A box would wait for an answer: the program ending by itself shows none.
    assert program.wait(60) == 0, "ends by itself with exit code 0"
    scenario.program = None
    assert h.holds(hh.INSTALL_COPY, package), "install copy equals the package"
    assert not h.path(hh.CARD_COPY).exists(), "no card copy with /nocard"
    assert h.lines("processes.log") == [hh.INSTALLER_LINE], "installer started once"


def test_passive_newer_refused(scenario):
    scenario.handheld.write_version(NEWER)
    code, seen = run_watching(scenario, "/passive")
    assert code == 8, "the question answered No, without a box"
    assert seen <= {T.kTitleReading}, f"only the progress dialog: {seen}"
    scenario.registry_untouched()


def test_passive_cancel(scenario, text):
    d, h = scenario.driver, scenario.handheld
    h.configure(bytes_per_second=4_000_000)
    program = scenario.launch("/passive")
    copying = text.kTitleTransfer + "*"
    assert d.wait_bar(copying, 10, 60000), "the copy did not reach 10 %"
    assert d.click(copying, CANCEL)
    assert program.wait(20) == CANCELLED, "Cancel gives 1223"
    scenario.program = None
    assert scenario.no_box(), "no box after a cancel"
    scenario.nothing_installed()


def test_usage_box(scenario):
    d = scenario.driver
    program = scenario.launch("/passive", "/bogus")
    assert d.wait(T.kAppTitle, 60000), "the usage box shows"
    box = d.texts(T.kAppTitle)
    assert box.message == T.kUsageText, "usage text"
    assert box.buttons == (OK,), "OK only"
    assert d.click(T.kAppTitle, OK)
    assert program.wait(20) == INVALID_PARAMETER, "a refused command line gives 87"
    scenario.program = None
    assert not scenario.handheld.path("calls.log").exists(), "the handheld was never reached"


@pytest.mark.parametrize("args", [("/quiet", "/passive"), ("/quiet", "/log"), ("/quiet", "/nocard", "extra")],
                         ids=["quiet-passive", "log-without-file", "stray-word"])
def test_refused_quietly(scenario, args):
    code, seen = run_watching(scenario, *args, limit_s=30)
    assert code == INVALID_PARAMETER, "a refused command line gives 87"
    assert not seen, "no usage box with /quiet"
    assert not scenario.handheld.path("calls.log").exists(), "the handheld was never reached"
