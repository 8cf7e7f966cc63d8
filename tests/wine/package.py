"""The package embedded in the program, which every copy on the handheld
must equal byte for byte."""
from pathlib import Path

# The remote API writes at most 65,535 bytes a call, so the program copies in
# chunks of that size: a fault position counts those writes.
CHUNK = 0xFFFF


class Package:
    def __init__(self, path):
        self.path = Path(path)
        self.data = self.path.read_bytes()
        self.chunks = -(-len(self.data) // CHUNK)

    def __repr__(self):
        return f"<package {self.path.name}: {len(self.data)} bytes, {self.chunks} chunks>"
