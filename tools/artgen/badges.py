"""Level badges for the web leaderboard: one medal per level of the level table."""

from svg import *
import ui

# Rim colours by tier: every nine levels the medal's metal changes.
TIERS = [("#b0703a", "#7d4a22"), ("#cfd6dc", "#8d979f"), (GOLD, GOLD_DARK), ("#e05a4e", RED_DARK)]


def base3(level):
    digits = ""
    while True:
        digits = str(level % 3) + digits
        level //= 3
        if level == 0:
            return digits


def level_badge(level, size=80):
    """A round medal: the level's number on a wooden ribbon, under the chef hats of its
    base-3 digits, as the game's experience badge shows them."""
    c = size / 2
    rim, rim_dark = TIERS[min(level // 9, len(TIERS) - 1)]
    out = circle(c, c + 2, c - 2, fill="#000", opacity=0.25)
    out += circle(c, c, c - 3, fill=rim, stroke=OUT, sw=2.5)
    out += circle(c, c, c - 10, fill=CREAM, stroke=rim_dark, sw=2)
    out += path(f"M{f(c-24)},{f(c-20)} A30,30 0 0 1 {f(c+14)},{f(c-29)}", stroke="#fff", sw=3, opacity=0.6)
    hats = base3(level)[:3] if level > 0 else "0"
    scale = 1.0 if len(hats) < 3 else 0.8
    width = 26 * scale
    x0 = c - width * len(hats) / 2
    for i, d in enumerate(hats):
        out += at(x0 + i * width, c + 3 - 30 * scale, ui.chef_hat(int(d)), scale=scale)
    out += rect(c - 22, c + 4, 44, 22, fill=WOOD, stroke=OUT, sw=2, rx=6)
    out += text(c, c + 21.5, str(level), 18, OUT)
    return out


def read_levels(path):
    """The level records of a level table: those with at least two tab-separated fields."""
    raw = open(path, "rb").read().decode("utf-8", "replace")
    records = raw.replace("\r\n", ";").replace("\r", ";").replace("\n", ";").split(";")
    return [r for r in records if len(r.split("\t")) >= 2]
