#!/usr/bin/env python3
"""Checks what the progress dialog showed during one revision-up, from the
`seen` lines that `ui_driver watch` printed: the stages in order, each with
its status text, and the percentage in the title moving up within each copy.

    check_progress.py <watch output> --card | --no-card

Prints one line per copy and exits 1 with the reason when something is off.
"""
import re
import sys

RETRIEVING = ("デバイスのデータを取得中", "モバイル デバイスからアプリケーションのデータを取得しています...")
CARD = "インストーラファイルを転送しています..."
INSTALL = "アプリケーションをインストールしています..."
COPY_TITLE = re.compile(r"デバイスにデータを転送中(?: \((\d+)%\))?")
DONE = "データ転送が完了しました"


def main(path, card):
    stages = []  # [status, [(title, its percent or None, bar)]]
    done = False
    for line in open(path, encoding="utf-8"):
        fields = line.rstrip("\r\n").split("\t")
        if fields[0] != "seen" or len(fields) < 2:
            continue
        title = fields[1]
        if title == DONE:
            done = True
        if not title.startswith("デバイス") or len(fields) < 4:
            continue
        status, bar = fields[2], int(fields[3].removeprefix("bar="))
        if title == RETRIEVING[0]:
            # A stage sets its status text before its title, so the next
            # stage's status may briefly show under this title.
            percent = None
        else:
            match = COPY_TITLE.fullmatch(title)
            if not match:
                return f"unexpected progress title {title!r}"
            percent = int(match.group(1)) if match.group(1) else None
        if not stages or stages[-1][0] != status:
            stages.append([status, []])
        stages[-1][1].append((title, percent, bar))

    expected = [RETRIEVING[1]] + ([CARD] if card else []) + [INSTALL]
    got = [status for status, _ in stages]
    if got != expected:
        return f"stages {got} instead of {expected}"
    if stages[0][1][0][1] is not None:
        return "the first stage showed a percentage"
    for status, seen in stages[1:]:
        # Until the copy's first progress, the title and the bar may still
        # show the stage before: no percentage, or the last copy's 100 %.
        while seen and seen[0][1] in (None, 100):
            seen.pop(0)
        percents = [p for _, p, _ in seen]
        bars = [b for _, _, b in seen]
        if percents != sorted(percents) or bars != sorted(bars):
            return f"{status}: progress went back: {percents} / bars {bars}"
        if any(not 0 <= p <= 100 for p in percents + bars):
            return f"{status}: progress outside 0..100: {percents}"
        if len(set(percents)) < 3:
            return f"{status}: the title showed too few percentages to see progress: {percents}"
        print(f"{status} {percents[0]}% .. {percents[-1]}% in {len(set(percents))} steps")
    if not done:
        return "no completion box"
    return None


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in ("--card", "--no-card"):
        sys.exit(__doc__)
    problem = main(sys.argv[1], sys.argv[2] == "--card")
    if problem:
        print("progress:", problem)
        sys.exit(1)
