#!/usr/bin/env python3
"""Checks that the technician's guide quotes the program's texts exactly.

    python3 tools/check_guide.py [docs/guide.ja.md]

Every text comes from resources/include/resources/texts.h, the single source of what the
program shows. The guide's table of messages must hold one row per code the
program can show, leading with the box's caption (bold) and its text, line
breaks written as <br>; in codes 7 and 8 the installed version is an example.
The progress dialog's titles and status texts and the completion box must
appear word for word as well, and so must the boxes that stand outside that
table, each as a cell of its own in the same form: the version check's three
verdicts (the version it read as an example, the package's version where the
box names it) and the demo program's refusal, with the demo's window title.
Exit code 0 when all is right, 1 otherwise.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Code -> (caption, text) as named in texts.h.
BOXES = {
    1: ("kCaptionConnect", "kInitFailed"),
    2: ("kCaptionConnect", "kConnectFailed"),
    3: ("kCaptionConnect", "kNotConnected"),
    6: ("kCaptionVersion", "kNotInstalled"),
    7: ("kCaptionVersion", "kVersionTooOldTemplate"),
    8: ("kCaptionVersion", "kVersionNewerTemplate"),
    9: ("kCaptionTransfer", "kInstallerStartFailed"),
    11: ("kCaptionTransfer", "kInstallCreateFailed"),
    12: ("kCaptionTransfer", "kWriteFailed"),
    13: ("kCaptionTransfer", "kCardCreateFailed"),
}
QUOTED = ["kTitleReading", "kTitleTransfer", "kStatusReading", "kStatusCardCopy", "kStatusInstall",
          "kDoneCaption", "kDoneText", "kDemoAppTitle"]
# Boxes outside the table of codes: (caption, text, what fills each %s).
# "installed" is any version as an example; "package" is the package's own,
# which the box of an up-to-date handheld shows as the version it read.
OTHER_BOXES = [
    ("kCaptionVersion", "kCheckLatestTemplate", ["package"]),
    ("kCaptionVersion", "kCheckOutdatedTemplate", ["installed"]),
    ("kCaptionVersion", "kCheckNewerTemplate", ["installed", "package"]),
    ("kCaptionConnect", "kDemoRefused", []),
]
TABLE_HEADER = "| メッセージ（タイトルと本文） |"
INSTALLED_VERSION = r"Version [0-9]+(?:\.[0-9]+)*"


def c_strings(source):
    """name -> value of every `constexpr char name[] = "..." "...";`."""
    texts = {}
    for name, body in re.findall(r'constexpr char (\w+)\[\]\s*=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);', source):
        literal = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', body))
        texts[name] = re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), literal)
    return texts


def macro(source, name):
    return re.search(r'#define %s "([^"]*)"' % name, source).group(1)


def box_cell(caption, text, fills):
    """A regular expression for a table cell that shows a box: its caption in
    bold, then its text with each %s replaced by the pattern in fills."""
    parts = text.split("%s")
    if len(parts) - 1 != len(fills):
        raise ValueError("%d placeholder(s) in %r, %d fill(s)" % (len(parts) - 1, text, len(fills)))
    pattern = re.escape(parts[0])
    for fill, part in zip(fills, parts[1:]):
        pattern += fill + re.escape(part)
    return re.escape("**%s**<br>" % caption) + pattern.replace("\\\n", "<br>").replace("\n", "<br>")


def expected_cell(code, texts, minimum):
    """A regular expression for the first cell of the row of that code."""
    caption, text = (texts[n] for n in BOXES[code])
    fills = [INSTALLED_VERSION, re.escape(minimum)][:text.count("%s")]
    return box_cell(caption, text, fills)


def main():
    guide_path = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "docs/guide.ja.md"
    guide = guide_path.read_text(encoding="utf-8")
    texts = c_strings((ROOT / "resources/include/resources/texts.h").read_text(encoding="utf-8"))
    versions = (ROOT / "resources/include/resources/version.h").read_text(encoding="utf-8")
    minimum = macro(versions, "RAVO_MINIMUM_VERSION")
    package = macro(versions, "RAVO_PACKAGE_VERSION")
    problems = []

    lines = guide.splitlines()
    try:
        start = next(i for i, line in enumerate(lines) if line.startswith(TABLE_HEADER))
    except StopIteration:
        print("check_guide: no table of messages (header %s)" % TABLE_HEADER)
        return 1
    rows = {}
    for line in lines[start + 2:]:
        if not line.startswith("|"):
            break
        cells = [c.strip() for c in line.strip("|").split("|")]
        if not cells[1].isdigit():
            problems.append("a row without a code: %s" % line[:60])
            continue
        rows[int(cells[1])] = cells[0]

    if sorted(rows) != sorted(BOXES):
        problems.append("codes in the table %s, the program shows %s" % (sorted(rows), sorted(BOXES)))
    for code in sorted(set(rows) & set(BOXES)):
        if not re.fullmatch(expected_cell(code, texts, minimum), rows[code]):
            problems.append("code %d: the table has %r" % (code, rows[code]))
    fills = {"installed": INSTALLED_VERSION, "package": re.escape(package)}
    cells = {c.strip() for line in lines if line.lstrip().startswith("|")
             for c in line.strip().strip("|").split("|")}
    for caption, text, fill in OTHER_BOXES:
        pattern = box_cell(texts[caption], texts[text], [fills[f] for f in fill])
        if not any(re.fullmatch(pattern, cell) for cell in cells):
            problems.append("%s is not shown as a box of its own: no cell matches %s" % (text, pattern))
    for name in QUOTED:
        if texts[name] not in guide:
            problems.append("%s is not quoted word for word: %r" % (name, texts[name]))

    for p in problems:
        print("check_guide: " + p)
    print("check_guide: %s: %s" % (guide_path.name, "%d problem(s)" % len(problems) if problems else
                                   "every code's box, the version check's and the demo's boxes and every progress text as the program shows them"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
