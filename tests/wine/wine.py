"""Wine under a private Xvfb display, set up by tools/wine_env.sh (the same
settings as `make run`), and Windows programs started in it."""
import os
import subprocess
import time


class Xvfb:
    """An X server of our own on the first free display."""

    def __init__(self):
        read, write = os.pipe()
        self._process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read)
        self.display = ":" + number.decode().strip()

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", str(path)], env=dict(os.environ, DISPLAY=self.display),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)

    def stop(self):
        self._process.terminate()
        self._process.wait()


def _wine_env_sh(root, script, *args, env=None):
    return subprocess.run(["bash", "-c", f"source tools/wine_env.sh && {script}", "_", *map(str, args)],
                          cwd=root, env=env, check=True, stdout=subprocess.PIPE).stdout


def can_run_32bit():
    """None when the 32-bit loader runs here, else why it does not."""
    try:
        done = subprocess.run(["/usr/lib/wine/wine", "--version"], capture_output=True, text=True, timeout=60)
    except OSError as error:
        return str(error)
    return None if done.returncode == 0 else (done.stderr or done.stdout).strip().splitlines()[0]


class Wine:
    def __init__(self, root, prefix, display):
        exported = _wine_env_sh(root, "env -0")
        self.env = dict(item.split("=", 1) for item in exported.decode().split("\0") if "=" in item)
        self.env.update(WINEPREFIX=str(prefix), DISPLAY=display, LC_ALL="C.UTF-8")
        self.root, self.prefix = root, prefix
        self.loader = [self.env["RAVO_WINE"]]

    def prepare(self, rapi64, rapi32=None):
        """A prefix with Japanese font replacements, a virtual desktop and the
        simulated rapi.dll in the system directories."""
        _wine_env_sh(self.root, 'wine_prefix_prepare "$@" >/dev/null 2>&1', self.prefix, rapi64,
                     *([rapi32] if rapi32 else []), env=self.env)

    def system_dll(self, arch):
        folder = "system32" if arch == "x86_64" else "syswow64"
        return self.prefix / "drive_c" / "windows" / folder / "rapi.dll"

    def start(self, exe, args=(), cwd=None, env=None):
        return Program(subprocess.Popen(self.loader + [str(exe), *map(str, args)], cwd=cwd,
                                        env={**self.env, **(env or {})},
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def stop_server(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)


class Program:
    """A Windows program under Wine. Its exit code reaches us modulo 256."""

    def __init__(self, process):
        self._process = process

    @property
    def running(self):
        return self._process.poll() is None

    def wait(self, limit_s):
        """The exit code, or None while it still runs after limit_s."""
        deadline = time.monotonic() + limit_s
        while self._process.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        return self._process.poll()

    def kill(self):
        if self.running:
            self._process.kill()
        self._process.wait()

