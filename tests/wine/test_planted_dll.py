"""A rapi.dll beside the program is never loaded: only the system's is."""
import shutil

from scenario import EXIT, OK, START


def test_planted(scenario, session, options, text):
    d, main = scenario.driver, scenario.main
    system_dll = session.wine.system_dll(options.arch)
    saved = scenario.work / "rapi.dll.saved"
    planted = scenario.work / "planted-bin"
    planted.mkdir()
    shutil.copy(options.exe, planted)
    shutil.copy(options.rapi, planted)
    system_dll.rename(saved)
    try:
        scenario.start(exe=planted / options.exe.name, cwd=planted)
        assert d.click(main, START)
        assert d.wait(text.kCaptionConnect, 30000), "no connection box"
        assert d.texts(text.kCaptionConnect).message == text.kInitFailed, "not initialised"
        assert d.click(text.kCaptionConnect, OK) and d.wait_gone(text.kCaptionConnect, 10000)
        assert d.wait_ready(main, START, 10000), "the main dialog is back, enabled and active"
        assert d.click(main, EXIT) and d.wait_gone(main, 20000)
        scenario.stop()
    finally:
        scenario.end()
        saved.rename(system_dll)
    assert not scenario.handheld.path("calls.log").exists(), "the DLL beside the program was never loaded"
