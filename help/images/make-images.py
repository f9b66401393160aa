#!/usr/bin/env python3
"""Redraws the pictures of the help pages with ImageMagick's convert. The pictures are
checked in, so the build does not need this; run it after changing a drawing here."""

import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))

# Values -1 5 5 6 6 7 7 8 9 14 21: 1st quartile 5, median 6.5, 3rd quartile 8.5, inner
# fences -0.25 and 13.75, outer fences -5.5 and 19.
VALUES = [-1, 5, 5, 6, 6, 7, 7, 8, 9, 14, 21]
Q1, MEDIAN, Q3 = 5, 6.5, 8.5
LIF, UIF, LOF, UOF = -0.25, 13.75, -5.5, 19
# Heights of the circles, as a detailed view might scatter them.
HEIGHTS = [96, 71, 103, 84, 66, 109, 78, 92, 74, 88, 99]

BLUE, BLACK, GREY, TEXT = "#0000ff", "#000000", "#909090", "#202020"
VIOLET, PINK, RED = "#ce00fa", "#fa00a5", "#ff0000"


def x(value):
    return round(40 + (value + 8) * 16)


def chart():
    low, high = x(min(VALUES)), x(max(VALUES))
    m = [
        "stroke-width 1",
        f"stroke {BLUE} line 40,150 520,150",
        f"push graphic-context stroke {BLACK} stroke-dasharray 5 3 line {low},90 {high},90",
        "pop graphic-context",
        f"stroke none fill {BLUE} rectangle {x(Q1)},70 {x(Q3)},110",
        f"stroke {BLACK} fill none rectangle {x(Q1)},70 {x(Q3)},110",
        f"line {x(MEDIAN)},62 {x(MEDIAN)},118",
    ]
    m += [f"line {x(f)},78 {x(f)},102" for f in (LIF, UIF, LOF, UOF)]
    m += [f"stroke {BLUE} line {p},145 {p},150" for p in (40, 520, low, high)]
    m += [
        f"stroke none fill {BLACK} font DejaVu-Sans font-size 11",
        f"text {low - 5},165 '{min(VALUES)}'",
        f"text {high - 6},165 '{max(VALUES)}'",
    ]
    return m


def label(text, at, top, bottom):
    width = len(text) * 6
    return [
        f"stroke {GREY} line {at},{top + 4} {at},{bottom}",
        f"stroke none fill {TEXT} text {at - width // 2},{top} '{text}'",
    ]


def draw(name, mvg, height=175):
    subprocess.run(["convert", "-size", f"560x{height}", "xc:white", "-draw", "\n".join(mvg),
                    "-strip", os.path.join(HERE, name + ".png")], check=True)


basic = chart()
basic += label("lower outer fence", x(LOF), 24, 78)
basic += label("lower inner fence", x(LIF), 42, 78)
basic += label("lowest value", x(min(VALUES)), 60, 90)
basic += label("highest value", x(max(VALUES)), 60, 90)
basic += label("1st quartile", x(Q1), 24, 70)
basic += label("median", x(MEDIAN), 42, 62)
basic += label("3rd quartile", x(Q3), 60, 70)
basic += label("upper inner fence", x(UIF), 24, 78)
basic += label("upper outer fence", x(UOF), 42, 78)
draw("basic-view", basic)

detailed = chart()
for value, y in zip(VALUES, HEIGHTS):
    colour = RED if value <= LOF or value >= UOF else PINK if value <= LIF or value >= UIF else VIOLET
    detailed.append(f"stroke {colour} stroke-width 2 fill none circle {x(value)},{y} {x(value) + 5},{y}")
draw("detailed-view", detailed)

ranks = chart()
edges = [x(min(VALUES)), x(Q1), x(MEDIAN), x(Q3), x(max(VALUES))]
ranks += [f"stroke {GREY} line {e},38 {e},130" for e in edges]
ranks += [f"stroke none fill {BLACK} font-size 13", "text 40,30 'Rank'"]
for rank in range(4):
    ranks.append(f"text {(edges[rank] + edges[rank + 1]) // 2 - 4},30 '{rank + 1}'")
draw("ranks", ranks)
