"""The folder that the simulated rapi.dll serves as the handheld (named by
RAVO_SIM_DIR), with its sim.ini and record files: see sim/ and the README."""
import shutil
from pathlib import Path

VERSION_FILE = "Built-in Storage/Program Files/Svcore/Svcore.ver"
CARD = "Storage Card"
CARD_COPY = "Storage Card/Q58ravoInstall.CAB"
INSTALL_COPY = "Windows/AppMgr/Install/ravo+ for Q58.CAB"
LAUNCHER_KEY = r"[HKEY_CURRENT_USER\Software\Meridane\ZenLaunch\FileList\ravo+(GPS)]"
INSTALLER_LINE = r'wceload /noaskdest "\Windows\AppMgr\Install\ravo+ for Q58.CAB"'
READ_ONLY_CARD_COPY = r"00000001 \Storage Card\Q58ravoInstall.CAB"
DEVICE_NAME = "Q58-WINE"


class Handheld:
    """ravo+ installed at the given version (None: not installed), a memory
    card, the launcher's entry in the registry and the handheld's name."""

    def __init__(self, root, version="Version 1.1.1.0"):
        self.root = Path(root)
        shutil.rmtree(self.root, ignore_errors=True)
        for folder in (Path(VERSION_FILE).parent, Path(CARD), Path(INSTALL_COPY).parent):
            (self.root / folder).mkdir(parents=True)
        if version is not None:
            self.write_version(version)
        (self.root / "registry.txt").write_text(
            LAUNCHER_KEY + "\n" + r'"Path"="\\Built-in Storage\\Program Files\\Svcore\\ravo.exe"' + "\n"
            + "[HKEY_LOCAL_MACHINE\\Ident]\n" + f'"Name"="{DEVICE_NAME}"\n')

    def path(self, relative):
        return self.root / relative

    def write_version(self, version):
        self.path(VERSION_FILE).write_bytes(f"ravo+ for Q58\r\n{version}\r\n".encode())

    def configure(self, **keys):
        """sim.ini from scratch: configure(start="never"), configure(**{"fail.CeWriteFile": 5})."""
        self.path("sim.ini").write_text(self._settings(keys))

    def add_settings(self, **keys):
        """Lines added to sim.ini; a later line of the same key wins."""
        with open(self.path("sim.ini"), "a") as file:
            file.write(self._settings(keys))

    @staticmethod
    def _settings(keys):
        return "".join(f"{key}={value}\n" for key, value in keys.items())

    def remove_card(self):
        shutil.rmtree(self.path(CARD))

    def lines(self, record):
        """A record file's lines without their CR-LF; none when it is absent."""
        try:
            return self.path(record).read_text(encoding="utf-8").splitlines()
        except FileNotFoundError:
            return []

    def installer_started(self):
        return bool(self.lines("processes.log"))

    def launcher_entry(self):
        return LAUNCHER_KEY in self.lines("registry.txt")

    def link_counts(self):
        """(starts of the link that were not made to fail, ends of it)."""
        calls = self.lines("calls.log")
        starts = sum(1 for c in calls if c.startswith("CeRapiInitEx") and "injected" not in c)
        ends = sum(1 for c in calls if c.startswith("CeRapiUninit"))
        return starts, ends

    def snapshot(self):
        """Every file under the root but the call record, with its bytes: what
        a look at the handheld must leave as it was."""
        return {str(p.relative_to(self.root)): p.read_bytes() for p in sorted(self.root.rglob("*"))
                if p.is_file() and p.name != "calls.log"}

    def holds(self, relative, package):
        """The file is there and byte-identical to the package."""
        file = self.path(relative)
        return file.is_file() and file.read_bytes() == package.data
