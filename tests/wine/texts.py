"""The program's own texts, read from the headers that the program is built
from, so that the suite never holds a copy that could drift from them."""
import re
from pathlib import Path
from types import SimpleNamespace

_LITERALS = r'((?:"(?:[^"\\]|\\.)*"\s*)+)'
_DECLARATION = re.compile(r"inline\s+constexpr\s+char\s+(\w+)\[\]\s*=\s*" + _LITERALS + ";")
_DEFINE = re.compile(r"#define\s+(\w+)\s+" + _LITERALS)
_PIECE = re.compile(r'"((?:[^"\\]|\\.)*)"')
_ESCAPES = {"n": "\n", "r": "\r", "t": "\t"}


def _value(literals):
    """Adjacent literals joined, as the compiler joins them."""
    joined = "".join(_PIECE.findall(literals))
    return re.sub(r"\\(.)", lambda m: _ESCAPES.get(m[1], m[1]), joined)


def load(root):
    """Every `inline constexpr char kName[]` of resources/texts.h and every
    string #define of resources/version.h, as attributes under their names."""
    resources = Path(root) / "resources" / "include" / "resources"
    names = {}
    for name, literals in _DECLARATION.findall((resources / "texts.h").read_text(encoding="utf-8")):
        names[name] = _value(literals)
    for name, literals in _DEFINE.findall((resources / "version.h").read_text(encoding="utf-8")):
        names[name] = _value(literals)
    if "kAppTitle" not in names:
        raise RuntimeError(f"no texts found in {resources / 'texts.h'}")
    return SimpleNamespace(**names)


# The texts of this checkout, for tables that are built when tests are collected.
TEXT = load(Path(__file__).resolve().parents[2])


def template_pattern(template):
    """A printf template as a regular expression: %d and %s become groups."""
    parts = re.split(r"(%%|%d|%s)", template)
    pieces = {"%%": "%", "%d": r"(\d+)", "%s": "(.*)"}
    return re.compile("".join(pieces.get(p, re.escape(p)) for p in parts), re.S)

