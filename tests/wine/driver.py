"""One long-lived ui_driver.exe (tools/ui_driver) in `serve` mode: a command
a line on its stdin, one JSON answer a line on its stdout. Every command and
its answer go to the transcript."""
import json
import os
import select
import subprocess
import time


class DriverError(AssertionError):
    """The driver did not answer in time, or ended: the run cannot go on."""


class Result:
    """A command's exit code (0 done, 1 not found or timed out, 2 bad usage)
    and the lines it printed. True when the command succeeded."""

    def __init__(self, words, code, out):
        self.words, self.code, self.lines = words, code, out.splitlines()

    def __bool__(self):
        return self.code == 0

    def __repr__(self):
        printed = "; ".join(self.lines[-3:])
        return f"<ui_driver {' '.join(map(repr, self.words))} -> {self.code}{': ' + printed if printed else ''}>"

    def rows(self):
        """The printed lines split into their tab-separated fields, line feeds
        in texts restored."""
        return [[field.replace("\\n", "\n").replace("\\r", "\r") for field in line.split("\t")]
                for line in self.lines]


class Window:
    """What `texts` read of a window: its children's texts, and for a message
    box its message (the static text without an id) and its buttons' ids."""

    def __init__(self, result):
        children = [row for row in result.rows()[1:] if len(row) == 3]
        self.message = "\n".join(text for ident, kind, text in children if ident == "-1" and kind == "Static")
        self.buttons = tuple(int(ident) for ident, kind, _ in children if kind == "Button")
        self.texts = [text for _, _, text in children]


class Driver:
    # Beyond a command's own limit, for Wine to answer at all.
    SLACK_S = 30

    def __init__(self, command, env, transcript, log_path):
        self._command, self._env, self._transcript, self._log_path = command, env, transcript, log_path
        self._process = None
        self._buffer = b""

    def _start(self):
        self._log = open(self._log_path, "ab")
        self._process = subprocess.Popen(self._command + ["serve"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=self._log, env=self._env)
        self._buffer = b""

    def close(self, limit_s=10):
        """Ends the driver: its stdin closed, it ends by itself, or is killed."""
        if self._process is None:
            return
        try:
            self._process.stdin.close()
            self._process.wait(limit_s)
        except (OSError, subprocess.TimeoutExpired):
            self._process.kill()
            self._process.wait()
        self._process = None
        self._log.close()

    def _answer(self, deadline):
        while b"\n" not in self._buffer:
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([self._process.stdout], [], [], max(remaining, 0))
            chunk = os.read(self._process.stdout.fileno(), 65536) if ready else None
            if not chunk:
                return None
            self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return json.loads(line)

    def __call__(self, *words, limit_ms=20000):
        """Runs one command; limit_ms is how long the command itself may take."""
        words = [str(w) for w in words]
        if self._process is None:
            self._start()
        try:
            self._process.stdin.write(("\t".join(words) + "\n").encode())
            self._process.stdin.flush()
            answer = self._answer(time.monotonic() + limit_ms / 1000 + self.SLACK_S)
        except OSError:
            answer = None
        if answer is None:
            # A driver that hangs or died is replaced for the next command.
            self.close(limit_s=0)
            self._transcript.command(words, None, "")
            raise DriverError(f"ui_driver gave no answer to {words}")
        result = Result(words, answer["code"], answer["out"])
        self._transcript.command(words, result.code, answer["out"])
        return result

    # The commands, as tools/ui_driver/ui_driver.cpp describes them.
    def wait(self, title, ms=20000):
        return self("wait", title, ms, limit_ms=ms)

    def wait_gone(self, title, ms=20000):
        return self("wait-gone", title, ms, limit_ms=ms)

    def wait_enabled(self, title, ident, ms=20000):
        return self("wait-enabled", title, ident, ms, limit_ms=ms)

    def wait_ready(self, title, ident, ms=20000):
        """Until a press on the control would be taken: enabled, its window
        active and owning no dialog, so an attempt before it is over."""
        return self("wait-ready", title, ident, ms, limit_ms=ms)

    def wait_bar(self, title, percent, ms=20000):
        return self("wait-bar", title, percent, ms, limit_ms=ms)

    # A press waits this long for its window to become the active one.
    PRESS_MS = 10000

    def click(self, title, ident):
        """Presses the button once its window is active (see the README)."""
        return self("click", title, ident, self.PRESS_MS, limit_ms=self.PRESS_MS)

    def check(self, title, ident, checked):
        return self("check", title, ident, int(checked), limit_ms=self.PRESS_MS)

    def command(self, title, ident):
        return self("command", title, ident)

    def state(self, title, ident):
        """(enabled, checked), or None without such a control."""
        result = self("state", title, ident)
        if not result:
            return None
        fields = dict(part.split("=") for part in result.lines[0].split())
        return int(fields["enabled"]), int(fields["checked"])

    def texts(self, title):
        result = self("texts", title)
        return Window(result) if result else None

    def windows(self):
        """The titles of the visible top-level windows."""
        return [row[1] for row in self("windows").rows() if len(row) > 1]

    def cancel(self, title, delay_ms, ms=5000):
        return self("cancel", title, delay_ms, ms, limit_ms=2 * ms + delay_ms)

    def watch(self, title, ms, click=None):
        """Every change of the windows until `title` appears; with click
        (title, id), that button is pressed once the watch runs."""
        return self("watch", title, ms, *(click or ()), limit_ms=ms + (self.PRESS_MS if click else 0))
