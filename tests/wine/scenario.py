"""One scenario: a fresh handheld, the program under Wine, the driver, and
the steps and checks that many scenarios share."""
from datetime import datetime

import handheld as hh
import progress

START, EXIT, OPTION = 1, 2, 1002  # the main dialog's controls
OK, YES, NO = 1, 6, 7
CANCEL = 2  # the progress dialog's Cancel button, and Escape
READING_MS = 400  # how long the link takes to come up in a complete run


class Transcript:
    """Every driver command in order, with the time its answer came, what it
    printed and its exit code; scenario headers, program starts, failures."""

    def __init__(self, path):
        self.path = path
        self.notes = []  # lines for the end of the run's report too
        path.write_text("")

    def note(self, line):
        self.notes.append(line)
        self.write(line)

    def write(self, line):
        with open(self.path, "a", encoding="utf-8") as file:
            file.write(line.rstrip("\n") + "\n")

    def command(self, words, code, out):
        now = datetime.now().strftime("%H:%M:%S.%f")[:-3]
        quoted = " ".join('"' + w.replace("\n", "\\n") + '"' for w in words)
        self.write(f"{now} {quoted} -> {'no answer' if code is None else code}"
                   + "".join(f"\n    {line}" for line in out.splitlines()))


class Scenario:
    def __init__(self, name, work, wine, driver, options, text, package, transcript):
        self.name, self.work, self.wine, self.driver = name, work, wine, driver
        self.options, self.text, self.package, self.transcript = options, text, package, transcript
        # The suite runs the programs built with the demo package.
        self.main = text.kDemoAppTitle
        # The progress dialog, whichever its title; the connection box too.
        self.progress_pattern = progress.progress_prefix(text) + "*"
        self.program = None
        self.handheld = hh.Handheld(work / name)

    def new_handheld(self, version="Version 1.1.1.0"):
        self.handheld = hh.Handheld(self.work / self.name, version)
        return self.handheld

    # The program.
    def launch(self, *args, exe=None, cwd=None):
        """Starts the program against this scenario's handheld."""
        assert self.program is None or not self.program.running, "the program is already running"
        exe = exe or self.options.exe
        self.transcript.write(f"-- start {exe} {' '.join(map(str, args))}".rstrip())
        self.program = self.wine.start(exe, args, cwd=cwd, env={"RAVO_SIM_DIR": str(self.handheld.root)})
        return self.program

    def start(self, **launch):
        """The program started and its main dialog shown."""
        self.launch(**launch)
        assert self.driver.wait(self.main, 60000), "the main dialog did not appear"

    def stop(self):
        """Its windows gone, the program may still take a moment to exit."""
        exited = self.program.wait(10)
        if exited is None:
            self.program.kill()
        self.program = None
        assert exited is not None, "the program was still running; stopped it"

    def run(self, *args, limit_s=60):
        """Runs the program with arguments to its end and returns its exit
        code (modulo 256, as Wine hands it over); fails after limit_s."""
        program = self.launch(*args)
        code = program.wait(limit_s)
        self.program = None
        if code is None:
            program.kill()
        self.transcript.write(f"-- exit code {code}")
        assert code is not None, f"the program did not end within {limit_s} s"
        return code

    def end(self):
        """After the scenario, whatever happened: nothing of it left running."""
        if self.program is not None:
            self.program.kill()
            self.program = None

    # The main dialog.
    def option_is(self, checked):
        return self.driver.state(self.main, OPTION) == (1, int(checked))

    def no_box(self):
        """None of the boxes that a cancelled attempt must not show."""
        captions = (self.text.kCaptionConnect, self.text.kCaptionVersion, self.text.kCaptionTransfer)
        return not any(c in title for title in self.driver.windows() for c in captions)

    def complete_run(self, option):
        """From the start button to the program's end: the progress seen
        stage by stage, the completion box, and the handheld afterwards.
        Returns the milliseconds from the press to the completion box."""
        d, t, h = self.driver, self.text, self.handheld
        # Reading the handheld is otherwise over in tens of milliseconds, less
        # than the watch may be kept from running on a loaded machine; a link
        # slow to come up keeps the reading stage on screen long enough.
        h.add_settings(**{"latency.CeRapiInitEx": READING_MS})
        assert d.check(self.main, OPTION, option)
        seen = d.watch(t.kDoneCaption, 60000, click=(self.main, START))
        assert seen, "no completion box"
        for line in progress.check(seen.rows(), t, card=option):
            self.transcript.write(line)
        box = d.texts(t.kDoneCaption)
        assert box and box.message == t.kDoneText, "completion text"
        assert box.buttons == (OK,), "OK only"
        assert d.click(t.kDoneCaption, OK) and d.wait_gone(self.main, 20000), \
            "a completed revision-up closes the program"
        self.stop()
        assert h.holds(hh.INSTALL_COPY, self.package), "install copy equals the package"
        assert h.lines("processes.log") == [hh.INSTALLER_LINE], "installer started once, as wceload /noaskdest"
        if option:
            assert h.holds(hh.CARD_COPY, self.package), "card copy equals the package"
            assert hh.READ_ONLY_CARD_COPY in h.lines("attributes.txt"), "card copy read-only"
        return int(seen.rows()[-1][1])

    def link_ended(self, refused=0):
        """Every start of the link that was not refused was ended once."""
        starts, ends = self.handheld.link_counts()
        assert ends == starts - refused, f"{starts} starts ({refused} refused), {ends} ends of the link"

    def nothing_installed(self):
        h = self.handheld
        assert not h.path(hh.CARD_COPY).exists(), "no card copy"
        assert not h.path(hh.INSTALL_COPY).exists(), "no install copy"
        assert not h.installer_started(), "installer not started"

    def registry_untouched(self):
        self.nothing_installed()
        assert self.handheld.launcher_entry(), "registry untouched"

    def card_copy_kept(self):
        h = self.handheld
        assert h.holds(hh.CARD_COPY, self.package), "card copy complete"
        assert not h.path(hh.INSTALL_COPY).exists(), "no partial install copy"
        assert not h.installer_started(), "installer not started"

