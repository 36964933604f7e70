#!/usr/bin/python3
"""Draws the tables scripts/bench printed as one chart: a bar for Pixdrift, the floor and each
peer in every row, the whisker spanning the rounds' min-max, times and memory in panels of
their own.

    chart.py <scripts/bench output> <chart.png>

Cells are read as they are printed: "43 ms (37–51)", "23 MB", several to a cell in the column of
the usual tools ("scrot 222 ms (169–240); maim 306 ms (227–368)"), each named by the words before
its number or else by its column.
"""
import re
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

VALUE = re.compile(r"(\d+(?:\.\d+)?) (ms|MB)(?: \((\d+(?:\.\d+)?)–(\d+(?:\.\d+)?)\))?")
COLOURS = {"Pixdrift": "#2a7fd4", "floor": "#7a7a7a"}
PEER_COLOURS = ["#e07b39", "#8c5bb5", "#3d9a5b", "#c9463d", "#b8a02f", "#4fb3bf", "#d45f9e", "#6b8e23",
                "#a0522d", "#1f9e89"]


def cells(line):
    return [cell.strip() for cell in line.strip().strip("|").split("|")]


def values(cell, column):
    """(series, median, low, high, unit) for every value in a cell."""
    found, end = [], 0
    for match in VALUE.finditer(cell):
        words = re.sub(r"[`(),;:]", " ", cell[end:match.start()]).split()
        # The words of a peer, not a trailing ratio ("4.1× Pixdrift's").
        words = [w for w in words if "×" not in w and w != "Pixdrift's"]
        name = " ".join(words) or column
        median = float(match.group(1))
        low = float(match.group(3)) if match.group(3) else median
        high = float(match.group(4)) if match.group(4) else median
        found.append((name, median, low, high, match.group(2)))
        end = match.end()
    return found


def rows(text):
    """(label, [(series, median, low, high, unit)]) for every table row with values."""
    result, header = [], None
    for line in text.splitlines():
        if not line.startswith("|"):
            header = None
            continue
        row = cells(line)
        if header is None:
            header = row
            continue
        # Only the tables that set Pixdrift beside the floor and its peers, or a desktop's times.
        if header[0] not in ("measurement", "screen") and header[1:2] != ["median (range)"]:
            continue
        if set("".join(row)) <= set("-: "):
            continue
        label, bars = row[0], []
        for column, cell in zip(header[1:], row[1:]):
            if "vs" in column:
                continue
            if column in ("capture path",):
                label = f"{label}, {cell}"
                continue
            bars += values(cell, "Pixdrift" if column == "median (range)" or column.startswith("hot key") else column)
        if bars and "CPU" not in label and "Pixdrift's request" not in label and "capture end" not in label:
            result.append((label, bars))
    return result


def draw(rows, path):
    panels = [(unit, [(label, [b for b in bars if b[4] == unit]) for label, bars in rows]) for unit in ("ms", "MB")]
    panels = [(unit, [(label, bars) for label, bars in group if bars]) for unit, group in panels]
    panels = [(unit, group) for unit, group in panels if group]
    if not panels:
        raise SystemExit("chart.py: no measurements in the output")
    heights = [sum(len(bars) for _, bars in group) + len(group) for _, group in panels]
    figure, axes = plt.subplots(len(panels), 1, figsize=(12, 0.22 * sum(heights) + 1.5 * len(panels)),
                                gridspec_kw={"height_ratios": heights}, squeeze=False)
    peers = {}
    for (unit, group), ax in zip(panels, axes[:, 0]):
        y, ticks, labels, seen = 0, [], [], set()
        for label, bars in group:
            top = y
            for name, median, low, high, _ in bars:
                if name not in COLOURS and name not in peers:
                    peers[name] = PEER_COLOURS[len(peers) % len(PEER_COLOURS)]
                colour = COLOURS.get(name, peers.get(name))
                ax.barh(y, median, height=0.8, color=colour, label=None if name in seen else name)
                ax.errorbar(median, y, xerr=[[median - low], [high - median]], fmt="none", ecolor="black",
                            elinewidth=0.8, capsize=2)
                ax.text(high * 1.04, y, f"{median:g}", va="center", fontsize=7)
                seen.add(name)
                y += 1
            ticks.append((top + y - 1) / 2)
            labels.append(label if len(label) < 70 else label[:67] + "…")
            y += 1
        ax.set_yticks(ticks, labels, fontsize=8)
        ax.invert_yaxis()
        ax.set_xscale("log")
        ax.set_xlabel("milliseconds (log scale), median with min–max" if unit == "ms" else "megabytes (log scale)")
        ax.grid(axis="x", which="both", alpha=0.3)
        ax.legend(fontsize=7, loc="upper left", bbox_to_anchor=(1.01, 1))
    figure.tight_layout()
    figure.savefig(path, dpi=110)


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: chart.py <scripts/bench output> <chart.png>")
    with open(sys.argv[1], encoding="utf-8") as f:
        text = f.read()
    draw(rows(text), sys.argv[2])


main()
