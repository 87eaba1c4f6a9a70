"""Panels, badges, buttons, icons and flags."""

from svg import *


# ---------------------------------------------------------------- ingredient panel

def tile_frame():
    """68 x 68 card behind an ingredient picture."""
    return (rect(1, 1, 66, 66, fill="#b98a52", rx=9)
            + rect(1, 1, 66, 64, fill=PAPER, stroke=OUT, sw=2, rx=9)
            + rect(5, 5, 58, 56, fill="#fff9ec", rx=6)
            + path("M8,6 L60,6", stroke="#fff", sw=2, opacity=0.8))


def tile_disabled():
    """A grey veil over the whole card: the ingredient shows through dimmed and nearly colourless."""
    return (rect(0, 0, 68, 68, fill="#77726c", rx=9, opacity=0.68)
            + rect(3, 3, 62, 62, stroke="#4a4642", sw=1.5, rx=7, opacity=0.5))


def pick_badge(n):
    """64 x 64 overlay that marks a picked tile with its pick number."""
    return (rect(2, 2, 60, 60, stroke=RED, sw=4, rx=8)
            + rect(2, 2, 60, 60, stroke="#ffd36b", sw=1.5, rx=8)
            + circle(15, 15, 12.5, fill=RED, stroke=OUT, sw=2)
            + circle(15, 15, 9.5, stroke="#ffd36b", sw=1.2)
            + text(15, 20.5, str(n), 15, "#fff"))


def panel_background(w=412, h=140):
    out = rect(0, 0, w, h, fill="#a8763e", rx=12)
    out += rect(0, 0, w, h - 2, fill=WOOD, stroke=OUT, sw=2.5, rx=12)
    out += rect(5, 5, w - 10, h - 12, fill=WOOD_LIGHT, rx=8)
    r = Rand(77)
    for i in range(9):
        y = 12 + i * 14 + r.uniform(-3, 3)
        out += path(f"M10,{f(y)} C{w*0.3},{f(y-4)} {w*0.6},{f(y+5)} {w-10},{f(y-2)}", stroke=WOOD_GRAIN, sw=1.1, opacity=0.5)
    return out


def scroll_arrow(right, over, w=24, h=132):
    fill = GOLD if over else RED
    edge = GOLD_DARK if over else RED_DARK
    out = rect(1, 1, w - 4, h - 2, fill=edge, stroke=OUT, sw=2, rx=8)
    out += rect(3, 3, w - 8, h - 10, fill=fill, rx=6)
    out += rect(5, 6, 4, h - 20, fill="#fff", rx=2, opacity=0.35)
    cx, cy = (w - 2) / 2, h / 2
    d = 1 if right else -1
    out += poly([(cx - 5 * d, cy - 11), (cx + 6 * d, cy), (cx - 5 * d, cy + 11)], fill="#fff", stroke=OUT, sw=1.8)
    return out


# ---------------------------------------------------------------- score strip and its icons

def score_strip(w=800, h=80):
    out = rect(0, 0, w, h, fill="url(#lacquer)")
    # seigaiha waves, faint
    for row in range(4):
        for col in range(-1, w // 40 + 2):
            x = col * 40 + (20 if row % 2 else 0)
            y = 22 + row * 18
            for rr, op in ((18, 0.10), (12, 0.08), (6, 0.06)):
                out += path(f"M{x-rr},{y} A{rr},{rr} 0 0 1 {x+rr},{y}", stroke="#ffcf8a", sw=1.4, opacity=op)
    out += rect(0, 0, w, 4, fill=GOLD)
    out += rect(0, h - 6, w, 6, fill=GOLD_DARK)
    out += rect(0, h - 6, w, 2, fill=GOLD_LIGHT)
    out += rect(0, 4, w, 2, fill="#000", opacity=0.25)
    return out


def yen_coin(w=48, h=72):
    cx, cy = w / 2, h / 2
    out = shadow(cx + 1, cy + 3, 20, 20, 0.45)
    out += circle(cx, cy, 21, fill=GOLD_DARK, stroke=OUT, sw=2)
    out += circle(cx, cy - 1, 20, fill="url(#goldShine)", stroke=OUT, sw=2)
    out += circle(cx, cy - 1, 15, stroke=GOLD_DARK, sw=1.5)
    # the yen sign, drawn so it does not depend on fonts
    yen = (f"M{cx-8},{cy-12} L{cx},{cy-1} L{cx+8},{cy-12} M{cx},{cy-1} L{cx},{cy+11} "
           f"M{cx-7},{cy+1} L{cx+7},{cy+1} M{cx-7},{cy+6} L{cx+7},{cy+6}")
    out += path(yen, stroke="#7a4a08", sw=4)
    out += path(f"M{cx-12},{cy-13} A16,16 0 0 1 {cx+4},{cy-17}", stroke="#fff", sw=2.5, opacity=0.7)
    return out


def orders_ticket(w=60, h=72):
    """A kitchen order slip pinned on a red tag; the figure of orders left is written on its middle."""
    out = shadow(31, 66, 24, 4, 0.4)
    out += rect(6, 4, 48, 62, fill=PAPER, stroke=OUT, sw=2, rx=4)
    out += path("M6,58 l6,6 l6,-6 l6,6 l6,-6 l6,6 l6,-6 l6,6 l6,-6 L54,66 L6,66 Z", fill=PAPER)
    out += rect(6, 4, 48, 14, fill=RED, stroke=OUT, sw=2, rx=4)
    out += circle(30, 11, 3, fill=GOLD, stroke=OUT, sw=1.2)
    out += rect(11, 20, 38, 30, fill="#3b2a20", rx=6)
    out += line(12, 55, 48, 55, "#c9b89a", 1.5)
    out += line(12, 60, 40, 60, "#c9b89a", 1.5)
    return out


def exp_badge(w=136, h=64):
    """The experience badge: a star medal on a ribbon. The chef hats of the level stand on the strip
    to its right (x 58 to 136, y 34 to 64), so that part stays empty: at level 0 there is no hat."""
    cx, cy = 30, 29
    out = path(f"M{cx-14},{cy+14} L{cx-20},{cy+34} L{cx-12},{cy+30} L{cx-7},{cy+37} L{cx-2},{cy+18} Z",
               fill=INDIGO_LIGHT, stroke=OUT, sw=1.8)
    out += path(f"M{cx+14},{cy+14} L{cx+20},{cy+34} L{cx+12},{cy+30} L{cx+7},{cy+37} L{cx+2},{cy+18} Z",
                fill=INDIGO, stroke=OUT, sw=1.8)
    out += circle(cx + 1, cy + 2, 26, fill="#000", opacity=0.3)
    out += circle(cx, cy, 26, fill=GOLD_DARK, stroke=OUT, sw=2)
    out += circle(cx, cy - 1, 24, fill="url(#goldShine)", stroke=OUT, sw=2)
    pts = [polar(cx, cy - 1, 17 if i % 2 == 0 else 7.5, -90 + i * 36) for i in range(10)]
    out += poly(pts, fill="#fff4c8", stroke="#a8660c", sw=2)
    out += path(f"M{cx-15},{cy-13} A21,21 0 0 1 {cx+8},{cy-20}", stroke="#fff", sw=2.5, opacity=0.7)
    return out


def chef_hat(level, w=26, h=30):
    """Hats for the base-3 digits of the level: 0 a blue cap, 1 a white toque, 2 a golden toque."""
    if level == 0:
        # the apprentice's low cap
        # as tall as the toques, in a light blue that stands out on the strip's red
        return (path("M3,27 L5,9 C5,4 21,4 21,9 L23,27 Z", fill="#7fa6e6", stroke=OUT, sw=1.8)
                + ellipse(13, 8, 8, 3, fill="#c4d6f4", stroke=OUT, sw=1.4)
                + rect(2, 20, 22, 8, fill="#fff", stroke=OUT, sw=1.6, rx=2)
                + path("M9,9 L9,20 M17,9 L17,20", stroke="#3a5fa0", sw=1.3))
    body = "#ffffff" if level == 1 else "url(#goldShine)"
    band = "#e6e2da" if level == 1 else RED
    out = path("M5,20 C1,16 1,8 7,7 C8,2 18,2 19,7 C25,8 25,16 21,20 Z", fill=body, stroke=OUT, sw=1.8)
    out += path("M9,9 C9,13 9,16 10,19 M16,9 C17,13 17,16 16,19", stroke="#d8d2c6" if level == 1 else GOLD_DARK, sw=1.2)
    out += rect(5, 19, 16, 8, fill=band, stroke=OUT, sw=1.8, rx=2)
    if level == 2:
        pts = [polar(13, 23, 3.4 if i % 2 == 0 else 1.4, -90 + i * 36) for i in range(10)]
        out += poly(pts, fill=GOLD_LIGHT, stroke=OUT, sw=0.8)
    return out


def round_button(body, over, fill=RED, size=36):
    c = size / 2
    ring = GOLD_LIGHT if over else GOLD_DARK
    out = circle(c, c + 1.5, c - 2, fill="#000", opacity=0.3)
    out += circle(c, c, c - 2, fill=ring, stroke=OUT, sw=2)
    out += circle(c, c, c - 5.5, fill=fill, stroke=OUT, sw=1.2)
    out += path(f"M{c-11},{c-6} A12,12 0 0 1 {c+6},{c-11}", stroke="#fff", sw=2, opacity=0.45)
    return out + body


def sound_button(on, over):
    spk = path("M9,15 L13,15 L19,10 L19,26 L13,21 L9,21 Z", fill="#fff", stroke=OUT, sw=1.4)
    if on:
        waves = path("M22,14 C24,16 24,20 22,22 M25,11 C29,15 29,21 25,25", stroke="#fff", sw=2.2)
        return round_button(spk + waves, over, fill="#3f8f5a" if not over else "#52b070")
    cross = path("M22,14 L28,22 M28,14 L22,22", stroke="#fff", sw=2.6)
    return round_button(spk + cross, over, fill="#6b6b70" if not over else "#8a8a92")


def quit_button(over):
    door = (rect(10, 9, 12, 18, fill="#f6e0c0", stroke=OUT, sw=1.4, rx=1)
            + path("M20,18 L29,18 M25,14 L29,18 L25,22", stroke="#fff", sw=2.4))
    return round_button(door, over, fill=RED if not over else RED_LIGHT)


# ---------------------------------------------------------------- flags

def flag_art(lang, w=40, h=26):
    if lang == "italiano":
        return rect(0, 0, w / 3, h, fill="#2f9a4a") + rect(w / 3, 0, w / 3, h, fill="#fff") + rect(2 * w / 3, 0, w / 3 + 0.5, h, fill="#d7303a")
    if lang == "francese":
        return rect(0, 0, w / 3, h, fill="#2a4ea0") + rect(w / 3, 0, w / 3, h, fill="#fff") + rect(2 * w / 3, 0, w / 3 + 0.5, h, fill="#d7303a")
    if lang == "tedesco":
        return rect(0, 0, w, h / 3, fill="#222") + rect(0, h / 3, w, h / 3, fill="#d7303a") + rect(0, 2 * h / 3, w, h / 3 + 0.5, fill="#f7c531")
    if lang == "spagnolo":
        out = rect(0, 0, w, h / 4, fill="#c8262e") + rect(0, h / 4, w, h / 2, fill="#f7c531") + rect(0, 3 * h / 4, w, h / 4 + 0.5, fill="#c8262e")
        out += rect(9, h / 2 - 4, 6, 8, fill="#c8262e", stroke="#a8761a", sw=0.8, rx=1)  # a hint of the coat of arms
        return out
    # United Kingdom
    blue, red = "#223f8f", "#d3272f"
    out = rect(0, 0, w, h, fill=blue)
    out += line(0, 0, w, h, "#fff", 6) + line(w, 0, 0, h, "#fff", 6)
    out += line(0, 0, w, h, red, 2) + line(w, 0, 0, h, red, 2)
    out += rect(w / 2 - 5, 0, 10, h, fill="#fff") + rect(0, h / 2 - 5, w, 10, fill="#fff")
    out += rect(w / 2 - 3, 0, 6, h, fill=red) + rect(0, h / 2 - 3, w, 6, fill=red)
    return out


def flag_button(lang, state, w=48, h=34):
    """state: off, over or on (the language in use)."""
    fw, fh = 40, 26
    clip = f'<clipPath id="fl"><rect x="0" y="0" width="{fw}" height="{fh}" rx="3"/></clipPath>'
    flag = g(flag_art(lang, fw, fh), extra=' clip-path="url(#fl)"')
    flag += rect(0, 0, fw, fh / 2, fill="url(#gloss)", rx=3, opacity=0.6)
    flag += rect(0, 0, fw, fh, stroke=OUT, sw=1.5, rx=3)
    out = f"<defs>{clip}</defs>"
    if state == "on":
        out += rect(0.5, 0.5, w - 1, h - 1, fill=GOLD, stroke=OUT, sw=1.5, rx=6)
        out += at(4, 4, flag)
        out += circle(w - 7, h - 7, 6.5, fill="#3f8f5a", stroke=OUT, sw=1.4)
        out += path(f"M{w-10},{h-7} L{w-7.5},{h-4.5} L{w-3.5},{h-10}", stroke="#fff", sw=1.8)
    elif state == "over":
        out += rect(0.5, 0.5, w - 1, h - 1, fill="#fff5d6", stroke=GOLD_DARK, sw=1.5, rx=6)
        out += at(4, 3, flag)
    else:
        out += rect(4, 6, fw, fh, fill="#000", rx=3, opacity=0.25)
        out += at(4, 4, g(flag, opacity=0.82))
    return out


# ---------------------------------------------------------------- order bubble

def order_bubble(plate_body):
    """A customer's speech bubble holding the plate that is wanted."""
    bub = ("M14,8 L114,8 C121,8 124,12 124,19 L124,92 C124,99 121,103 114,103 L42,103 "
           "L16,122 L24,103 L14,103 C7,103 4,99 4,92 L4,19 C4,12 7,8 14,8 Z")
    out = at(2, 3, path(bub, fill=SHADOW, opacity=0.35, extra=' filter="url(#soft)"'))
    out += path(bub, fill="#fffdf6", stroke=OUT, sw=3)
    out += path("M12,14 L116,14", stroke="#f0e4c8", sw=2)
    out += rect(96, 0, 30, 22, fill=RED, stroke=OUT, sw=2, rx=11)
    out += path("M103,11 C106,5 115,5 118,11 L119,14 L102,14 Z", fill="#fff", stroke=OUT, sw=1)
    out += circle(110.5, 5.5, 1.6, fill="#fff")
    out += g(plate_body, "translate(64,56) scale(0.82) translate(-64,-64)")
    return out
