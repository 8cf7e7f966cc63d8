"""A program built with the demo package uses the simulated handheld only:
a library without its mark is refused before anything in it is called. And
a word on the command line that is no switch (a file dropped onto the
program) no longer keeps the main dialog from opening."""
import shutil

from scenario import EXIT, OK, START
from test_diagnostic_log import new_events, size_now
from test_unattended import run_watching
from texts import TEXT as T


def test_demo_refuses_an_unmarked_library(scenario, session, options):
    d, main, h = scenario.driver, scenario.main, scenario.handheld
    system_dll = session.wine.system_dll(options.arch)
    saved = scenario.work / "rapi.dll.marked"
    system_dll.rename(saved)
    shutil.copy(options.rapi_unmarked, system_dll)
    try:
        scenario.start()
        assert d.click(main, START)
        assert d.wait(T.kCaptionConnect, 30000), "no connection box"
        box = d.texts(T.kCaptionConnect)
        assert box.message == T.kDemoRefused and box.buttons == (OK,), "the demo's refusal"
        session.xvfb.screenshot(options.work / "demo-refusal.png")
        assert d.click(T.kCaptionConnect, OK) and d.wait_ready(main, START, 20000), "back to the main dialog"
        assert d.click(main, EXIT) and d.wait_gone(main, 20000)
        scenario.stop()

        before = size_now(session)
        code, seen = run_watching(scenario, "/quiet", limit_s=30)
        assert code == 1 and not seen, "an unattended run exits 1 without a box"
        _, events = new_events(session, before)
        assert "error 257: a demo program refuses a remote API library that is not the simulated handheld" in events
    finally:
        scenario.end()
        system_dll.unlink()
        saved.rename(system_dll)
    assert not h.path("calls.log").exists(), "nothing in the library was called"
    scenario.registry_untouched()


def test_dropped_file_opens_the_main_dialog(scenario, session):
    d, main = scenario.driver, scenario.main
    before = size_now(session)
    scenario.launch(r"C:\users\Public\Desktop\notes.txt")
    assert d.wait(main, 60000), "the main dialog opens"
    assert d.click(main, EXIT) and d.wait_gone(main, 20000)
    scenario.stop()
    _, events = new_events(session, before)
    assert 'command line: ignored "C:\\\\users\\\\Public\\\\Desktop\\\\notes.txt", which is no switch' in events
