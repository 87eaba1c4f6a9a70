"""Reads the game's tables the way the game reads them, so pictures always match the data."""

import math
import os
import re


def read_text(path):
    with open(path, "rb") as fh:
        return fh.read().decode("utf-8")


def records_any_break(text):
    """Ingredients and levels: records end at any line break or at ';'."""
    return text.replace("\r\n", ";").replace("\r", ";").replace("\n", ";").split(";")


def lenient_int(s):
    m = re.match(r"\s*([+-]?)(0[xX][0-9a-fA-F]+|\d+)", s or "")
    if not m:
        return 0
    v = int(m.group(2), 16) if m.group(2)[:2].lower() == "0x" else int(m.group(2))
    return -v if m.group(1) == "-" else v


def lenient_float(s):
    m = re.match(r"\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?", s or "")
    return float(m.group(0)) if m else float("nan")


class Ingredient:
    def __init__(self, ident, group, px, yen):
        self.id, self.group, self.px, self.yen = ident, group, px, yen


def load_ingredients(assets_dir):
    out = []
    for rec in records_any_break(read_text(os.path.join(assets_dir, "ingredienti", "ingredienti.txt"))):
        fields = rec.split("\t")
        if len(fields) < 2:
            continue
        px = lenient_int(fields[2]) if len(fields) > 2 else 0
        yen = lenient_int(fields[3]) if len(fields) > 3 else 0
        out.append(Ingredient(fields[0], fields[1], px, yen))
    return out


class Node:
    def __init__(self, ingredient):
        self.ingredient = ingredient
        self.children = []
        self.id = -1
        self.plate = None      # plate kind carried by this node, if any
        self.path = []         # picks from the root to this node

    def child(self, ingredient):
        for c in self.children:
            if c.ingredient == ingredient:
                return c
        return None


class Recipes:
    """The recipe tree with the game's pre-order numbering (root 0, children in first-seen order)."""

    def __init__(self, text):
        self.root = Node("tavolo")
        self.kinds = []          # one entry per record, like the game's names list
        self.recipes = []        # (kind, ingredients) per record
        for rec in text.split("\r\n"):
            fields = [x for x in rec.split("\t") if x != ""]
            if len(fields) < 2:
                continue
            kind, picks = fields[0], fields[2:]
            node = self.root
            for step in picks:
                nxt = node.child(step)
                if nxt is None:
                    nxt = Node(step)
                    nxt.path = node.path + [step]
                    node.children.append(nxt)
                node = nxt
            node.plate = kind
            self.kinds.append(kind)
            self.recipes.append((kind, picks))
        self.nodes = []
        self._number(self.root, 0)

    def _number(self, node, ident):
        node.id = ident
        self.nodes.append(node)
        nxt = ident + 1
        for c in node.children:
            nxt = self._number(c, nxt)
        return nxt

    def unique_kinds(self):
        seen = []
        for k in self.kinds:
            if k not in seen:
                seen.append(k)
        return seen

    def picks_of(self, kind):
        for k, picks in self.recipes:
            if k == kind:
                return picks
        return None


def load_recipes(assets_dir, crlf=True):
    text = read_text(os.path.join(assets_dir, "preparazioni", "preparazioni.txt"))
    if crlf:
        text = to_crlf(text)
    return Recipes(text)


def to_crlf(text):
    return text.replace("\r\n", "\n").replace("\r", "\n").replace("\n", "\r\n")


def bezier(a, b, c, d, t):
    """The game's own curve weighting (not the textbook cubic)."""
    u = 1 - t
    return a * u ** 3 + 2 * b * u * u * t + c * (u * u * t + 2 * u * t * t) + d * (u * t * t + t ** 3)


def path_points(text):
    """Samples a belt path file exactly like the belt does: 200 samples a curve, kept when > 20 px apart."""
    pts = []
    p0 = (0, 0)
    off = (0, 0)
    last = None

    def num(s):
        m = re.match(r"\s*[+-]?\d+", s)
        return int(m.group(0)) if m else 0

    def coord(tok):
        parts = tok.split(",")
        return (num(parts[0]), num(parts[1]) if len(parts) > 1 else 0)

    for line in text.split("\r\n"):
        toks = line.split(" ")
        if toks[0] == "#":
            off = coord(toks[1]) if len(toks) > 1 else (0, 0)
        elif len(toks) == 1:
            if toks[0] != "":
                p0 = coord(toks[0])
        else:
            p1 = coord(toks[0])
            p2 = coord(toks[1])
            p3 = coord(toks[2]) if len(toks) > 2 else (0, 0)
            for i in range(200):
                t = i / 200
                x = bezier(p0[0], p1[0], p2[0], p3[0], t) + off[0]
                y = bezier(p0[1], p1[1], p2[1], p3[1], t) + off[1]
                if last is None or math.hypot(x - last[0], y - last[1]) > 20:
                    pts.append((x, y))
                    last = (x, y)
            p0 = p3
    return pts


def slot_points(pts):
    slots = []
    if not pts:
        return slots
    ref = pts[0]
    for p in pts:
        if math.hypot(p[0] - ref[0], p[1] - ref[1]) > 80:
            slots.append(p)
            ref = p
    return slots


def load_layout(assets_dir):
    text = to_crlf(read_text(os.path.join(assets_dir, "tavoli", "game1.txt")))
    lines = text.split("\r\n")

    def xy(i):
        parts = lines[i].split(",") if i < len(lines) else ["0"]
        return (lenient_int(parts[0]), lenient_int(parts[1]) if len(parts) > 1 else 0)

    path_text = to_crlf(read_text(os.path.join(assets_dir, "tavoli", lines[1])))
    return {
        "belt_picture": lines[0], "path_file": lines[1],
        "belt": xy(2), "ingredients": xy(3), "table": xy(4), "score": xy(5),
        "path": path_points(path_text),
    }
