"""The diagnostic log under Wine: a failed attempt's log names the failing
remote call and the handheld's own error; a completed attempt's log follows
it. Both attempts' lines are kept beside the transcript."""
import re

import handheld as hh
from scenario import EXIT, OK, OPTION, START
from test_boxes import write_fails_in_install_copy

STAMP = re.compile(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ")


def standard_log(session):
    """%LOCALAPPDATA%\\RavoVup\\RavoVup.log in the prefix, whoever the user is."""
    found = list((session.wine.prefix / "drive_c" / "users").glob("*/AppData/Local/RavoVup/RavoVup.log"))
    return found[0] if found else None


def new_events(session, before):
    """The lines written since the log held `before` bytes, time stamps checked and taken off."""
    log = standard_log(session)
    assert log is not None, "no RavoVup.log under %LOCALAPPDATA%\\RavoVup"
    text = log.read_bytes()[before:].decode("utf-8")
    assert text.endswith("\r\n"), "each line ends in CR-LF"
    lines = text[:-2].split("\r\n")
    for line in lines:
        assert STAMP.match(line), f"no local time with milliseconds: {line}"
    return text, [line[24:] for line in lines]


def size_now(session):
    log = standard_log(session)
    return log.stat().st_size if log else 0


def test_diagnostic_log(scenario, session, options, text, package):
    d, h, main = scenario.driver, scenario.handheld, scenario.main
    write_fails_in_install_copy(h, package)
    before = size_now(session)
    scenario.start()
    assert d.check(main, OPTION, 1) and d.click(main, START)
    assert d.wait(text.kCaptionTransfer, 60000), "no transfer box"
    # The worker writes the attempt's result after the box, while the main
    # dialog is already enabled again; the log is read once the attempt is over.
    assert d.click(text.kCaptionTransfer, OK) and d.wait_ready(main, START, 20000)
    raw, events = new_events(session, before)
    (options.work / "diagnostic-log-failed.txt").write_text(raw, encoding="utf-8", newline="")

    arch = "x64" if options.arch == "x86_64" else "x86"
    assert re.fullmatch(rf"attempt: RavoVup \S+ {arch}, package Version \S+, on Windows .*; memory-card copy on",
                        events[0]), events[0]
    library = [e for e in events if e.startswith("remote API library: ")]
    assert library and re.fullmatch(r"remote API library: C:\\windows\\(system32|syswow64)\\rapi\.dll",
                                    library[0], re.IGNORECASE), library
    assert any(re.fullmatch(r"start: connected, HRESULT 0x00000000, after \d+ ms", e) for e in events)
    assert f'version text: "Version 1.1.1.0", handheld "{hh.DEVICE_NAME}"' in events, "the handheld by its name"
    index = max(1, package.chunks // 3) - 1  # the failing write's place in the install copy
    failed = (rf"CeWriteFile \\Windows\\AppMgr\\Install\\ravo\+ for Q58\.CAB at byte {index * 65535}, 65535 bytes: "
              r"failed, handheld error 112 \(disk full\) from CeGetLastError")
    assert any(re.fullmatch(failed, e) for e in events), "the failing call and the handheld's error"
    assert events[-2:] == ["error 12: a chunk could not be written", "result: failed with code 12"], events[-2:]
    assert d.click(main, EXIT) and d.wait_gone(main, 20000)
    scenario.stop()

    h.configure(bytes_per_second=100_000_000, latency_ms=2)
    before = size_now(session)
    scenario.start()
    scenario.complete_run(1)
    raw, events = new_events(session, before)
    (options.work / "diagnostic-log-completed.txt").write_text(raw, encoding="utf-8", newline="")
    for target in (hh.CARD_COPY, hh.INSTALL_COPY):
        name = "\\" + target.replace("/", "\\")
        assert any(re.fullmatch(rf"copy {re.escape(name)}: {len(package.data)} bytes in [\d.]+ s, [\d.]+ MB/s", e)
                   for e in events), f"the copy to {name}"
    assert [e for e in events if e.startswith("stage ")] == [
        "stage 0 (reading the handheld)", "stage 1 (memory-card copy)", "stage 2 (install copy)",
        "stage 3 (finished)"]
    assert events[-1] == "result: done"
