#!/usr/bin/python3
"""The real RavoVup.exe under Wine, driven through its windows on a link of
1 MB/s and 5 ms a call: one whole revision-up (card copy ticked) against the
link's own bound, and the time from Escape to the end of the progress dialog
at five moments of the install copy.

    exe_figures.py <win64 build dir> [--exe other.exe]

Prints `name: value (aim: ...)` lines. A figure that cannot be had prints as
n/a with the reason, and the script still exits 0 so that the other figures
of `make bench` stand. The Wine suite's modules (tests/wine) do the work:
Xvfb and the prefix, the driver, the handheld folder; every driver command
goes to build/bench-wine/transcript.txt."""
import argparse
import re
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "wine"))

import handheld as hh  # noqa: E402
import progress  # noqa: E402
from driver import Driver, DriverError  # noqa: E402
from package import CHUNK, Package  # noqa: E402
from scenario import OK, OPTION, START, Transcript  # noqa: E402
from texts import TEXT as T  # noqa: E402
from wine import Wine, Xvfb  # noqa: E402

BYTES_PER_SECOND = 1_000_000
LATENCY_MS = 5
CANCEL_AT = (5, 25, 50, 75, 95)  # percent of the install copy
FIGURES = ("exe.run_seconds", "exe.bound_seconds", "exe.run_vs_bound", "exe.unlinked_seconds", "exe.cancel_ms")


class Unavailable(Exception):
    """A figure cannot be had here; the message says why."""


def chunk_ms():
    return (CHUNK / BYTES_PER_SECOND + LATENCY_MS / 1000) * 1000


class Bench:
    def __init__(self, wine, driver, exe, package, work):
        self.wine, self.d, self.exe, self.package, self.work = wine, driver, exe, package, work
        self.program = None

    def handheld(self, name):
        h = hh.Handheld(self.work / name)
        h.configure(bytes_per_second=BYTES_PER_SECOND, latency_ms=LATENCY_MS)
        return h

    def launch(self, h):
        self.program = self.wine.start(self.exe, env={"RAVO_SIM_DIR": str(h.root)})
        if not self.d.wait(T.kDemoAppTitle, 60000):
            raise Unavailable("RavoVup.exe showed no main window")

    def stop(self):
        if self.program is not None:
            self.program.kill()
            self.program = None

    def whole_run(self, link=True):
        """Seconds from the press of the start button to the completion box,
        the link's bound for the calls that run made, and the phases of the
        run. Without link, the handheld answers at once."""
        h = self.handheld("whole-run")
        if not link:
            h.configure()
        self.launch(h)
        if not self.d.check(T.kDemoAppTitle, OPTION, 1):
            raise Unavailable("the memory-card option could not be ticked")
        seen = self.d.watch(T.kDoneCaption, 120000, click=(T.kDemoAppTitle, START))
        if not seen:
            raise Unavailable("no completion box")
        elapsed_ms = int(seen.rows()[-1][1])
        self.d.click(T.kDoneCaption, OK)
        self.d.wait_gone(T.kDemoAppTitle, 20000)
        if self.program.wait(10) is None:
            raise Unavailable("the program did not end after the completion box")
        self.program = None
        for copy in (hh.CARD_COPY, hh.INSTALL_COPY):
            if not h.holds(copy, self.package):
                raise Unavailable(f"{copy} does not equal the package")
        calls = len(h.lines("calls.log"))
        bound = 2 * len(self.package.data) / BYTES_PER_SECOND + calls * LATENCY_MS / 1000
        return elapsed_ms / 1000, bound, calls, phases(seen.rows())

    def cancels(self):
        """Milliseconds from Escape to the progress dialog's end, one attempt
        per moment, all in one program, the option cleared."""
        h = self.handheld("cancel")
        self.launch(h)
        if not self.d.check(T.kDemoAppTitle, OPTION, 0):
            raise Unavailable("the memory-card option could not be cleared")
        pattern = progress.progress_prefix(T) + "*"
        copying = T.kTitleTransfer + "*"
        closed = []
        for percent in CANCEL_AT:
            if not self.d.click(T.kDemoAppTitle, START):
                raise Unavailable("the start button could not be pressed")
            if not self.d.wait_bar(copying, percent, 60000):
                raise Unavailable(f"the install copy did not reach {percent} %")
            cancel = self.d.cancel(pattern, 0, 5000)
            match = re.fullmatch(r"closed after (\d+) ms", cancel.lines[-1]) if cancel.lines else None
            if not cancel or not match:
                raise Unavailable(f"Escape at {percent} % did not close the progress dialog: {cancel!r}")
            closed.append(int(match[1]))
            if not self.d.wait_enabled(T.kDemoAppTitle, START, 10000):
                raise Unavailable("the main dialog did not come back after a cancel")
            for copy in (hh.CARD_COPY, hh.INSTALL_COPY):
                if h.path(copy).exists():
                    raise Unavailable(f"a cancel left {copy}")
        self.stop()
        return closed


def phases(rows):
    """From a watch's rows: milliseconds from the click to the progress
    dialog, and from the install copy's 100 % to the completion box."""
    prefix = progress.progress_prefix(T)
    at = shown = full = done = None
    for row in rows:
        if row[0] == "at":
            at = int(row[1])
        elif row[0] == "seen" and len(row) > 1:
            if shown is None and row[1].startswith(prefix):
                shown = at
            if full is None and len(row) > 3 and row[2] == T.kStatusInstall and row[3] == "bar=100":
                full = at
            if done is None and row[1] == T.kDoneCaption:
                done = at
    if None in (shown, full, done):
        return "n/a"
    return f"click to progress dialog {shown} ms, install copy's 100 % to completion box {done - full} ms"


def run(args):
    build = Path(args.build_dir).resolve()
    exe = Path(args.exe).resolve() if args.exe else build / "app" / "RavoVup.exe"
    driver_exe = build / "tools" / "ui_driver" / "ui_driver.exe"
    rapi = build / "sim" / "rapi.dll"
    cab = build / "resources" / "package.cab"
    for needed in (exe, driver_exe, rapi, cab):
        if not needed.is_file():
            raise Unavailable(f"no {needed}; make win64")
    work = ROOT / "build" / "bench-wine"
    work.mkdir(parents=True, exist_ok=True)
    xvfb = Xvfb()
    wine = driver = bench = None
    try:
        wine = Wine(ROOT, work / "prefix", xvfb.display)
        wine.prepare(rapi)
        transcript = Transcript(work / "transcript.txt")
        driver = Driver(wine.loader + [str(driver_exe)], wine.env, transcript, work / "ui_driver.log")
        bench = Bench(wine, driver, exe, Package(cab), work)
        try:
            seconds, bound, calls, seen = bench.whole_run()
            print(f"exe.run_seconds: {seconds:.2f} (start button to completion box, "
                  f"{BYTES_PER_SECOND // 1_000_000} MB/s, {LATENCY_MS} ms a call, both copies; {seen})")
            print(f"exe.bound_seconds: {bound:.2f} (bytes x 2 / rate + {calls} calls x latency)")
            print(f"exe.run_vs_bound: {seconds / bound:.3f} (aim: <= 1.01)")
        except (Unavailable, DriverError) as why:
            for name in FIGURES[:3]:
                print(f"{name}: n/a ({why})")
        bench.stop()
        try:
            seconds, _, _, seen = bench.whole_run(link=False)
            print(f"exe.unlinked_seconds: {seconds:.2f} (the same run, the handheld answering at once: "
                  f"what the program and Wine take besides the link; {seen})")
        except (Unavailable, DriverError) as why:
            print(f"exe.unlinked_seconds: n/a ({why})")
        bench.stop()
        try:
            closed = bench.cancels()
            aim = chunk_ms() + 50
            print(f"exe.cancel_ms: {max(closed)} (Escape to the progress dialog's end, worst of {len(closed)} "
                  f"at {', '.join(map(str, CANCEL_AT))} % of the install copy: {' '.join(map(str, closed))}; "
                  f"aim: <= one chunk + 50 ms = {aim:.1f})")
        except (Unavailable, DriverError) as why:
            print(f"exe.cancel_ms: n/a ({why})")
    finally:
        if bench is not None:
            bench.stop()
        if driver is not None:
            driver.close()
        if wine is not None:
            wine.stop_server()
        xvfb.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir")
    parser.add_argument("--exe", help="another RavoVup.exe to measure (default <build dir>/app/RavoVup.exe)")
    args = parser.parse_args()
    began = time.monotonic()
    try:
        run(args)
    except (Unavailable, DriverError, OSError, RuntimeError) as why:
        for name in FIGURES:
            print(f"{name}: n/a ({why})")
    print(f"(exe figures took {time.monotonic() - began:.0f} s)", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
