"""The Wine suite's set-up: one architecture a run (`--arch`), one fresh Wine
prefix under a private Xvfb, one ui_driver for the whole run, a transcript,
and a screenshot of the screen at every failure."""
import random
import shutil
import time
from pathlib import Path
from types import SimpleNamespace

import pytest

import texts
from driver import Driver
from package import Package
from scenario import Scenario, Transcript
from wine import Wine, Xvfb, can_run_32bit

ROOT = Path(__file__).resolve().parents[2]


def pytest_addoption(parser):
    group = parser.getgroup("wine", "the Windows program under Wine")
    group.addoption("--arch", default="x86_64", choices=("x86_64", "i686"), help="the program's architecture")
    group.addoption("--build-dir", help="its build tree (default build/<arch>), for the paths below")
    group.addoption("--exe", help="the program (default <build-dir>/app/RavoVup.exe)")
    group.addoption("--rapi", help="the simulated rapi.dll of that architecture (default <build-dir>/sim/rapi.dll)")
    group.addoption("--package", help="the package embedded in the program (default <build-dir>/resources/package.cab)")
    group.addoption("--rapi64", help="the 64-bit rapi.dll for system32 (default build/x86_64/sim/rapi.dll)")
    group.addoption("--driver", help="the UI driver (default build/x86_64/tools/ui_driver/ui_driver.exe)")
    group.addoption("--work", help="where the prefix, handhelds, transcript and shots go (default build/wine-test/<arch>)")
    group.addoption("--storm-seed", type=int, help="the cancel storm's random seed (default: a new one, logged)")


@pytest.fixture(scope="session")
def options(request):
    get = request.config.getoption
    arch = get("arch")
    build = Path(get("build_dir") or ROOT / "build" / arch)

    def path(name, default):
        return Path(get(name) or default).resolve()
    return SimpleNamespace(
        arch=arch,
        exe=path("exe", build / "app" / "RavoVup.exe"),
        rapi=path("rapi", build / "sim" / "rapi.dll"),
        # The same simulated handheld without the mark a demo program looks for.
        rapi_unmarked=(build / "sim" / "unmarked" / "rapi.dll").resolve(),
        package=path("package", build / "resources" / "package.cab"),
        rapi64=path("rapi64", ROOT / "build" / "x86_64" / "sim" / "rapi.dll"),
        driver=path("driver", ROOT / "build" / "x86_64" / "tools" / "ui_driver" / "ui_driver.exe"),
        work=path("work", ROOT / "build" / "wine-test" / arch),
        storm_seed=get("storm_seed") if get("storm_seed") is not None else random.randrange(1 << 32))


@pytest.fixture(scope="session")
def text():
    return texts.TEXT


@pytest.fixture(scope="session")
def package(options):
    return Package(options.package)


@pytest.fixture(scope="session")
def session(options, request):
    """Xvfb, the prefix, the transcript and the driver, for the whole run."""
    if options.arch == "i686" and (why := can_run_32bit()):
        pytest.skip(f"this machine cannot run 32-bit programs ({why})")
    for needed in (options.exe, options.rapi, options.rapi64, options.driver, options.package):
        assert needed.is_file(), f"missing {needed}: build it first (make windows)"
    shutil.rmtree(options.work, ignore_errors=True)
    options.work.mkdir(parents=True)
    xvfb = Xvfb()
    try:
        wine = Wine(ROOT, options.work / "prefix", xvfb.display)
        wine.prepare(*((options.rapi64, options.rapi) if options.arch == "i686" else (options.rapi,)))
        transcript = Transcript(options.work / "transcript.txt")
        driver = Driver(wine.loader + [str(options.driver)], wine.env, transcript, options.work / "ui_driver.log")
        run = SimpleNamespace(xvfb=xvfb, work=options.work, wine=wine, driver=driver, transcript=transcript)
        request.config.stash[RUN] = run
        yield run
        driver.close()
        wine.stop_server()
    finally:
        xvfb.stop()


@pytest.fixture
def scenario(request, session, options, text, package):
    """A fresh handheld named after the test, the program not yet started."""
    name = request.node.callspec.id if hasattr(request.node, "callspec") else request.node.name
    name = name.removeprefix("test_").replace("_", "-")
    session.transcript.write(f"== {name}")
    began = time.monotonic()
    current = Scenario(name, options.work, session.wine, session.driver, options, text, package,
                       session.transcript)
    yield current
    current.end()
    session.transcript.write(f"-- {name}: {time.monotonic() - began:.1f} s")


RUN = pytest.StashKey()


def pytest_terminal_summary(terminalreporter, config):
    run = config.stash.get(RUN, None)
    if run is None:
        return
    for line in run.transcript.notes:
        terminalreporter.write_line(line)
    terminalreporter.write_line(f"transcript: {run.transcript.path}")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A failure is noted in the transcript, with a screenshot of the screen
    as it was, before the scenario's program is stopped."""
    outcome = yield
    report = outcome.get_result()
    run = item.config.stash.get(RUN, None)
    if not report.failed or call.excinfo is None or run is None:
        return
    number = len(list(run.work.glob("failure-*.png"))) + 1
    run.xvfb.screenshot(run.work / f"failure-{number}.png")
    message = (call.excinfo.exconly().splitlines() or [report.when])[0]
    message += f" (screenshot failure-{number}.png)"
    run.transcript.write(f"FAIL: {item.name}: {message}")
    report.sections.append(("wine", message))
