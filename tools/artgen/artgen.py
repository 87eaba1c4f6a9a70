#!/usr/bin/env python3
"""Builds the staging tree of the asset package from the sources in assets/.

    artgen.py stage --source DIR --stage DIR --work DIR [--jobs N]
        Composes every picture as SVG, renders it with rsvg-convert (only when its SVG
        changed), copies the tables with the line ends the game expects, converts the
        language files to ISO-8859-1, and removes staged files that no longer belong.
    artgen.py badges --levels FILE --out DIR --work DIR
        One medal per level of the level table, as DIR/0.png, DIR/1.png ... for the web
        leaderboard.
    artgen.py contact-sheet --source DIR --stage DIR --work DIR --out FILE
        A still of the game screen, then every picture of the package at the size the game
        shows it, with its name.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import badges  # noqa: E402
import data  # noqa: E402
import food  # noqa: E402
import people  # noqa: E402
import preview  # noqa: E402
import scenes  # noqa: E402
import ui  # noqa: E402
from svg import doc, rect  # noqa: E402

LANGUAGES = ["italiano", "inglese", "spagnolo", "francese", "tedesco"]


class Picture:
    def __init__(self, entry, w, h, body, shown=None, group="misc"):
        self.entry, self.w, self.h, self.body = entry, w, h, body
        self.shown = shown or (w, h)   # size at which the game shows it
        self.group = group


def pictures(src):
    ingredients = data.load_ingredients(src)
    recipes = data.load_recipes(src)
    layout = data.load_layout(src)
    out = []
    add = out.append

    # frame
    add(Picture("assets/b.png", 8, 8, "", (32, 32), "icon"))
    add(Picture("assets/bgs.png", 800, 480, scenes.light_overlay(), group="frame"))
    for n in range(1, 6):
        add(Picture(f"assets/welcome{n:02d}.png", 800, 480, scenes.welcome(n, recipes), group="scene"))
    add(Picture("assets/title.png", 800, 480, scenes.title_logo(recipes), group="scene"))

    # score strip and its icons
    add(Picture("assets/score.png", 800, 80, ui.score_strip(), group="strip"))
    add(Picture("assets/yen.png", 48, 72, ui.yen_coin(), group="icon"))
    add(Picture("assets/ordini.png", 60, 72, ui.orders_ticket(), group="icon"))
    add(Picture("assets/punti_esperienza.png", 136, 64, ui.exp_badge(), group="icon"))
    for d in range(3):
        add(Picture(f"assets/chef{d}.png", 26, 30, ui.chef_hat(d), group="icon"))
    add(Picture("assets/quit.png", 36, 36, ui.quit_button(False), group="icon"))
    add(Picture("assets/quit_over.png", 36, 36, ui.quit_button(True), group="icon"))
    for on in (True, False):
        for over in (False, True):
            name = ("on" if on else "off") + ("_over" if over else "")
            add(Picture(f"assets/music/{name}.png", 36, 36, ui.sound_button(on, over), group="icon"))
    for lang in LANGUAGES:
        for state in ("off", "over", "on"):
            add(Picture(f"assets/languages/{lang}_{state}.png", 48, 34, ui.flag_button(lang, state), group="flag"))

    # characters
    for look, suffix in ((-1, "s"), (0, "c"), (1, "d")):
        # the "_d" picture is shown for items left of the middle and turns right, towards the plate
        add(Picture(f"assets/personaggi/slot_in_scadenza_{suffix}.png", 40, 40, people.worried_face(look), group="people"))
        for k in range(1, 5):
            add(Picture(f"assets/personaggi/cliente_{k}_{suffix}.png", 48, 48, people.customer(k, look), group="people"))

    # ingredient panel
    for ing in ingredients:
        add(Picture(f"assets/ingredienti/{ing.id}.png", 64, 64, food.icon(ing.id), group="ingredient"))
    add(Picture("assets/ingredienti/riquadro.png", 68, 68, ui.tile_frame(), group="ingredient"))
    add(Picture("assets/ingredienti/disattivato.png", 68, 68, ui.tile_disabled(), group="ingredient"))
    for n in range(1, 7):
        add(Picture(f"assets/ingredienti/selezionato{n}.png", 64, 64, ui.pick_badge(n), group="ingredient"))
    add(Picture("assets/ingredienti/sfondo.png", 412, 140, ui.panel_background(), (420, 148), group="panel"))
    for right in (False, True):
        for over in (False, True):
            name = f"scorri_{'dx' if right else 'sx'}{'_over' if over else ''}"
            add(Picture(f"assets/ingredienti/{name}.png", 24, 132, ui.scroll_arrow(right, over), group="panel"))

    # preparations and plates
    for node in recipes.nodes[1:]:
        add(Picture(f"assets/preparazioni/{node.id % 1000:03d}.png", 128, 128,
                    food.preparation(node.path, node.plate), group="preparation"))
    for kind in recipes.unique_kinds():
        body = food.preparation(recipes.picks_of(kind), kind)
        add(Picture(f"assets/piatti/{kind}.png", 128, 128, body, (64, 64), group="plate"))
        add(Picture(f"assets/ordini/{kind}.png", 128, 128, ui.order_bubble(body), (64, 64), group="order"))

    # the belt
    path_text = data.to_crlf(data.read_text(os.path.join(src, "tavoli", layout["path_file"])))
    add(Picture(f"assets/tavoli/{layout['belt_picture']}", 800, 480, scenes.belt_scene(path_text, layout), group="scene"))
    return out


# Text entries: source path relative to assets/, and whether records must end with CR LF.
def text_entries(src):
    out = [("version.txt", "asis"), ("build.txt", "asis"), ("livelli.txt", "crlf"),
           ("ingredienti/ingredienti.txt", "crlf"), ("preparazioni/preparazioni.txt", "crlf"),
           ("tavoli/game1.txt", "crlf")]
    layout = data.load_layout(src)
    out.append((f"tavoli/{layout['path_file']}", "crlf"))
    return out


def write_if_changed(path, data_bytes):
    try:
        with open(path, "rb") as fh:
            if fh.read() == data_bytes:
                return False
    except OSError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as fh:
        fh.write(data_bytes)
    return True


def convert_language(path):
    """UTF-8 source to ISO-8859-1 with CR LF; a character Latin-1 lacks stops the build."""
    raw = open(path, "rb").read()
    try:
        txt = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        raise SystemExit(f"{path}: not valid UTF-8 at byte {e.start}")
    if txt.startswith("\ufeff"):
        txt = txt[1:]
    txt = data.to_crlf(txt)
    for lineno, ln in enumerate(txt.split("\r\n"), 1):
        for col, ch in enumerate(ln, 1):
            if ord(ch) > 0xFF:
                raise SystemExit(f"{path}:{lineno}:{col}: character U+{ord(ch):04X} '{ch}' has no ISO-8859-1 code")
    return txt.encode("latin-1")


def stage(args):
    src = os.path.abspath(args.source)
    stage_dir = os.path.abspath(args.stage)
    work = os.path.abspath(args.work)
    svg_dir = os.path.join(work, "svg")
    wanted = set()

    pics = pictures(src)
    names = [p.entry for p in pics]
    dup = {n for n in names if names.count(n) > 1}
    if dup:
        raise SystemExit(f"two pictures for {sorted(dup)}")

    jobs = []
    for p in pics:
        svg_path = os.path.join(svg_dir, p.entry[:-4] + ".svg")
        png_path = os.path.join(stage_dir, p.entry)
        wanted.add(png_path)
        changed = write_if_changed(svg_path, doc(p.w, p.h, p.body).encode("utf-8"))
        if changed or not os.path.exists(png_path):
            jobs.append((svg_path, png_path, p.w, p.h))

    def render(job):
        svg_path, png_path, w, h = job
        os.makedirs(os.path.dirname(png_path), exist_ok=True)
        tmp = png_path + ".tmp"
        r = subprocess.run([args.rsvg, "-w", str(w), "-h", str(h), "-o", tmp, svg_path], capture_output=True, text=True)
        if r.returncode != 0:
            return f"{svg_path}: {r.stderr.strip()}"
        os.replace(tmp, png_path)
        return None

    with ThreadPoolExecutor(max_workers=max(1, args.jobs)) as ex:
        errors = [e for e in ex.map(render, jobs) if e]
    if errors:
        raise SystemExit("rsvg-convert failed:\n" + "\n".join(errors))

    for rel, mode in text_entries(src):
        text_bytes = open(os.path.join(src, rel), "rb").read()
        if mode == "crlf":
            text_bytes = data.to_crlf(text_bytes.decode("utf-8")).encode("utf-8")
        dst = os.path.join(stage_dir, "assets", rel)
        wanted.add(dst)
        write_if_changed(dst, text_bytes)

    lang_dir = os.path.join(src, "languages")
    if os.path.isdir(lang_dir):
        for name in sorted(os.listdir(lang_dir)):
            if name.endswith(".txt"):
                dst = os.path.join(stage_dir, "assets", "languages", name)
                wanted.add(dst)
                write_if_changed(dst, convert_language(os.path.join(lang_dir, name)))

    # anything else in the stage is left over from an older build
    for root, _dirs, files in os.walk(stage_dir):
        for fn in files:
            p = os.path.join(root, fn)
            if p not in wanted:
                os.remove(p)

    manifest = [{"entry": p.entry, "w": p.w, "h": p.h, "shown": p.shown, "group": p.group} for p in pics]
    write_if_changed(os.path.join(work, "manifest.json"), json.dumps(manifest, indent=1).encode("utf-8"))
    print(f"artgen: {len(pics)} pictures ({len(jobs)} rendered), {len(wanted) - len(pics)} texts")


def contact_sheet(args):
    stage_dir = os.path.abspath(args.stage)
    work = os.path.abspath(args.work)
    manifest = json.load(open(os.path.join(work, "manifest.json")))
    tmp = os.path.join(work, "sheet")
    shutil.rmtree(tmp, ignore_errors=True)
    os.makedirs(tmp)
    groups = []
    for m in manifest:
        if m["group"] not in groups:
            groups.append(m["group"])
    still = os.path.join(tmp, "game.png")
    preview.game_screen(os.path.abspath(args.source), stage_dir, still, args.convert)
    parts = [still]
    for gi, grp in enumerate(groups):
        items = [m for m in manifest if m["group"] == grp]
        tw = max(150, max(m["shown"][0] for m in items))  # room for the names
        th = max(m["shown"][1] for m in items)
        cols = max(1, min(len(items), 1600 // (tw + 16)))
        files = []
        for m in items:
            sw, sh = m["shown"]
            # checker behind each picture so transparency shows
            cmd = [args.convert, "-size", f"{sw}x{sh}", "pattern:checkerboard", "-fill", "#d0d0d0", "-colorize", "40%",
                   os.path.join(stage_dir, m["entry"]), "-resize", f"{sw}x{sh}!", "-composite",
                   "-set", "label", m["entry"][len("assets/"):], os.path.join(tmp, f"{len(files):04d}_{gi}.miff")]
            subprocess.run(cmd, check=True)
            files.append(os.path.join(tmp, f"{len(files):04d}_{gi}.miff"))
        part = os.path.join(tmp, f"part{gi:02d}.png")
        subprocess.run([args.montage, "-background", "#efe6d4", "-font", "DejaVu-Sans", "-pointsize", "11",
                        "-geometry", f"{tw}x{th}>+8+6", "-tile", f"{cols}x", *files, part], check=True)
        parts.append(part)
    subprocess.run([args.convert, "-background", "#efe6d4", *parts, "-gravity", "West", "-append", "+repage", "-depth", "8", args.out], check=True)
    print(f"contact sheet: {args.out}")


def level_badges(args):
    out_dir = os.path.abspath(args.out)
    svg_dir = os.path.join(os.path.abspath(args.work), "badges")
    count = len(badges.read_levels(args.levels))
    wanted = set()
    for level in range(count):
        svg_path = os.path.join(svg_dir, f"{level}.svg")
        png_path = os.path.join(out_dir, f"{level}.png")
        wanted.add(png_path)
        changed = write_if_changed(svg_path, doc(80, 80, badges.level_badge(level)).encode("utf-8"))
        if changed or not os.path.exists(png_path):
            os.makedirs(out_dir, exist_ok=True)
            subprocess.run([args.rsvg, "-w", "80", "-h", "80", "-o", png_path, svg_path], check=True)
    os.makedirs(out_dir, exist_ok=True)
    for fn in os.listdir(out_dir):
        if os.path.join(out_dir, fn) not in wanted:
            os.remove(os.path.join(out_dir, fn))
    print(f"artgen: {count} level badges in {out_dir}")


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest="cmd", required=True)
    s = sub.add_parser("stage")
    s.add_argument("--source", required=True)
    s.add_argument("--stage", required=True)
    s.add_argument("--work", required=True)
    s.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    s.add_argument("--rsvg", default="rsvg-convert")
    b = sub.add_parser("badges")
    b.add_argument("--levels", required=True)
    b.add_argument("--out", required=True)
    b.add_argument("--work", required=True)
    b.add_argument("--rsvg", default="rsvg-convert")
    c = sub.add_parser("contact-sheet")
    c.add_argument("--source", required=True)
    c.add_argument("--stage", required=True)
    c.add_argument("--work", required=True)
    c.add_argument("--out", required=True)
    c.add_argument("--convert", default="convert")
    c.add_argument("--montage", default="montage")
    args = ap.parse_args()
    {"stage": stage, "badges": level_badges, "contact-sheet": contact_sheet}[args.cmd](args)


if __name__ == "__main__":
    main()
