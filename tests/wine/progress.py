"""What the progress dialog showed during one revision-up, from the `seen`
rows of a `watch`: the stages in order, each with its status text, and the
percentage in the title moving up within each copy."""
import os

from texts import template_pattern


def progress_prefix(text):
    """The titles of the progress dialog share this beginning."""
    return os.path.commonprefix([text.kTitleReading, text.kTitleTransfer])


def check(rows, text, card):
    """One line per copy; AssertionError with the reason when something is off."""
    percent_title = template_pattern(text.kTitleProgressTemplate)
    stages = []  # [status, [(percent or None, bar)]]
    done = False
    for row in rows:
        if row[0] != "seen" or len(row) < 2:
            continue
        title = row[1]
        done = done or title == text.kDoneCaption
        if not title.startswith(progress_prefix(text)) or len(row) < 4:
            continue
        status, bar = row[2], int(row[3].removeprefix("bar="))
        if title in (text.kTitleReading, text.kTitleTransfer):
            # A stage sets its status text before its title, so the next
            # stage's status may briefly show under the reading title.
            percent = None
        else:
            match = percent_title.fullmatch(title)
            assert match, f"unexpected progress title {title!r}"
            percent = int(match[1])
        if not stages or stages[-1][0] != status:
            stages.append([status, []])
        stages[-1][1].append((percent, bar))

    expected = [text.kStatusReading] + ([text.kStatusCardCopy] if card else []) + [text.kStatusInstall]
    assert [status for status, _ in stages] == expected, "the stages in order"
    assert stages[0][1][0][0] is None, "the first stage showed a percentage"
    summary = []
    for status, seen in stages[1:]:
        # Until the copy's first progress, the title and the bar may still
        # show the stage before: no percentage, or the last copy's 100 %.
        while seen and seen[0][0] in (None, 100):
            seen.pop(0)
        percents = [p for p, _ in seen]
        bars = [b for _, b in seen]
        assert percents == sorted(percents) and bars == sorted(bars), f"{status}: progress went back: {seen}"
        assert all(0 <= p <= 100 for p in percents + bars), f"{status}: progress outside 0..100: {seen}"
        assert len(set(percents)) >= 3, f"{status}: the title showed too few percentages: {percents}"
        summary.append(f"{status} {percents[0]}% .. {percents[-1]}% in {len(set(percents))} steps")
    assert done, "no completion box"
    return summary
