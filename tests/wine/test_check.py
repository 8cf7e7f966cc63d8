"""/check: the installed version read and compared, the handheld left
exactly as it was. With /quiet only the exit code tells; alone, one box."""
import pytest

import handheld as hh
from scenario import OK
from test_boxes import NEWER, TOO_OLD
from test_unattended import run_watching
from texts import TEXT as T

# The calls a look at the handheld may make: start and end the link, open,
# read and close the version file, read the handheld's name, ask why a call failed.
READ_ONLY = ("CeRapiInitEx", "CeRapiUninit", "CeCreateFile", "CeReadFile", "CeCloseHandle", "CeRegOpenKeyEx",
             "CeRegQueryValueEx", "CeRegCloseKey", "CeRapiGetError", "CeGetLastError")

VERDICTS = [
    ("latest", lambda h: h.write_version(T.RAVO_PACKAGE_VERSION), 0),
    ("outdated", lambda h: h.write_version("Version 1.1.1.0"), 10),
    ("newer", lambda h: h.write_version(NEWER), 8),
    ("too-old", lambda h: h.write_version(TOO_OLD), 7),
    ("not-installed", lambda h: h.path(hh.VERSION_FILE).unlink(), 6),
    ("refused", lambda h: h.configure(start="refuse"), 1),
    ("start-failed", lambda h: h.configure(start="fail"), 2),
    ("no-start", lambda h: h.configure(start="never"), 3),
]


@pytest.mark.parametrize("prepare, expected", [v[1:] for v in VERDICTS], ids=[v[0] for v in VERDICTS])
def test_check_quiet(scenario, prepare, expected):
    h = scenario.handheld
    prepare(h)
    before = h.snapshot()
    code, seen = run_watching(scenario, "/check", "/quiet", limit_s=30)
    assert code == expected, "the verdict's exit code"
    assert not seen, "no window with /quiet"
    assert h.snapshot() == before, "the handheld's files and registry as they were"
    calls = [line.split(" ")[0] for line in h.lines("calls.log")]
    assert not [c for c in calls if c not in READ_ONLY], f"only reading calls: {calls}"
    assert all("Svcore.ver" in line for line in h.lines("calls.log") if line.startswith("CeCreateFile")), \
        "no file opened but the version file"


def test_check_box(scenario, session, options):
    """One box with the verdict, and no progress dialog; OK ends the program."""
    d, h = scenario.driver, scenario.handheld
    before = h.snapshot()
    program = scenario.launch("/check")
    assert d.wait(T.kCaptionVersion, 60000), "the version box shows"
    box = d.texts(T.kCaptionVersion)
    assert box.message == T.kCheckOutdatedTemplate % "Version 1.1.1.0", "the verdict for 1.1.1.0"
    assert box.buttons == (OK,), "OK only"
    windows = d.windows()
    assert not any(t.startswith(T.kTitleReading) or t.startswith(T.kTitleTransfer) for t in windows), windows
    assert T.kDemoAppTitle not in windows, "no main dialog"
    session.xvfb.screenshot(options.work / "check-box.png")
    assert d.click(T.kCaptionVersion, OK)
    assert program.wait(20) == 10, "exit code 10 after the box"
    scenario.program = None
    assert h.snapshot() == before, "the handheld as it was"
