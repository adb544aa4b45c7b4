#!/usr/bin/env python3
"""Draws the program's icons: norv.svg (the application) and bar/NAME.svg, one for each tool-bar
button, NAME being the command's table name. The SVGs are committed; run this again after
changing a drawing:  python3 data/icons/make_icons.py

Every icon is drawn on a 32x32 grid from a few shapes (a page, a folder, a window, arrows, a
lens...), so the set reads as one family at 16 and at 32 pixels."""

import os

HERE = os.path.dirname(os.path.abspath(__file__))

INK = "#3c4450"
PAPER = "#ffffff"
BLUE = "#2f6fd0"
GREEN = "#2e9a4a"
RED = "#c8372d"
AMBER = "#e3a21a"
GREY = "#8a929c"
PURPLE = "#7b4bb7"


def page(x=7, y=3, w=18, h=25, fill=PAPER):
    f = 6
    return (f'<path d="M{x} {y}h{w - f}l{f} {f}v{h - f}h{-w}z" fill="{fill}" stroke="{INK}" '
            f'stroke-width="1.5" stroke-linejoin="round"/>'
            f'<path d="M{x + w - f} {y}v{f}h{f}" fill="none" stroke="{INK}" stroke-width="1.5" '
            f'stroke-linejoin="round"/>')


def lines(x=10, y=13, w=12, n=4, gap=3, colour=GREY):
    return "".join(f'<path d="M{x} {y + i * gap}h{w - (i % 2) * 3}" stroke="{colour}" '
                   f'stroke-width="1.5" stroke-linecap="round"/>' for i in range(n))


def folder(x=3, y=8, w=26, h=19, colour=AMBER):
    return (f'<path d="M{x} {y}h8l3 3h{w - 11}v{h - 3}h{-w}z" fill="{colour}" stroke="{INK}" '
            f'stroke-width="1.5" stroke-linejoin="round"/>'
            f'<path d="M{x} {y + 6}h{w}" stroke="{INK}" stroke-width="1" opacity=".5"/>')


def disk(x=5, y=5, s=22, colour=BLUE):
    return (f'<path d="M{x} {y}h{s - 4}l4 4v{s - 4}h{-s}z" fill="{colour}" stroke="{INK}" '
            f'stroke-width="1.5" stroke-linejoin="round"/>'
            f'<rect x="{x + 5}" y="{y}" width="{s - 11}" height="7" fill="{PAPER}" '
            f'stroke="{INK}" stroke-width="1"/>'
            f'<rect x="{x + 4}" y="{y + 12}" width="{s - 8}" height="{s - 12}" fill="{PAPER}" '
            f'stroke="{INK}" stroke-width="1"/>')


def window(x=4, y=5, w=24, h=22, bar=BLUE):
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="1.5" fill="{PAPER}" '
            f'stroke="{INK}" stroke-width="1.5"/>'
            f'<rect x="{x}" y="{y}" width="{w}" height="5" rx="1.5" fill="{bar}" '
            f'stroke="{INK}" stroke-width="1.5"/>')


def arrow(direction, x=16, y=16, s=9, colour=GREEN):
    # A thick arrow centred on (x, y) pointing up, down, left or right.
    pts = [(0, -s), (s, 0), (s / 2.5, 0), (s / 2.5, s), (-s / 2.5, s), (-s / 2.5, 0), (-s, 0)]
    rot = {"up": lambda a, b: (a, b), "down": lambda a, b: (a, -b),
           "left": lambda a, b: (b, a), "right": lambda a, b: (-b, a)}[direction]
    d = " ".join(f"{x + rot(a, b)[0]:.1f},{y + rot(a, b)[1]:.1f}" for a, b in pts)
    return (f'<polygon points="{d}" fill="{colour}" stroke="{INK}" stroke-width="1.2" '
            f'stroke-linejoin="round"/>')


def turn(right, colour=BLUE):
    # Undo (a curve turning back to the left) or redo (its mirror).
    path = ('<path d="M25 24c0-8-4-12-11-12H9" fill="none" stroke="{c}" stroke-width="3.5" '
            'stroke-linecap="round"/><polygon points="3,12 11,6 11,18" fill="{c}"/>').format(
                c=colour)
    if right:
        return f'<g transform="translate(32 0) scale(-1 1)">{path}</g>'
    return path


def lens(x=13, y=13, r=7):
    return (f'<circle cx="{x}" cy="{y}" r="{r}" fill="#dcebff" stroke="{INK}" stroke-width="2.2"/>'
            f'<path d="M{x + r * 0.7:.1f} {y + r * 0.7:.1f}l{r}  {r}" stroke="{INK}" '
            f'stroke-width="3.5" stroke-linecap="round"/>')


def scissors():
    return (f'<circle cx="9" cy="24" r="4" fill="none" stroke="{RED}" stroke-width="2.2"/>'
            f'<circle cx="23" cy="24" r="4" fill="none" stroke="{RED}" stroke-width="2.2"/>'
            f'<path d="M11.5 21L22 4M20.5 21L10 4" stroke="{INK}" stroke-width="2.2" '
            f'stroke-linecap="round"/>')


def clipboard(x=6, y=5, w=20, h=24):
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="2" fill="#c99a5b" '
            f'stroke="{INK}" stroke-width="1.5"/>'
            f'<rect x="{x + 3}" y="{y + 4}" width="{w - 6}" height="{h - 7}" fill="{PAPER}" '
            f'stroke="{INK}" stroke-width="1"/>'
            f'<rect x="{x + w / 2 - 4}" y="{y - 2}" width="8" height="5" rx="1" fill="{GREY}" '
            f'stroke="{INK}" stroke-width="1"/>')


def printer():
    return (f'<rect x="9" y="4" width="14" height="9" fill="{PAPER}" stroke="{INK}" '
            f'stroke-width="1.5"/>'
            f'<rect x="4" y="12" width="24" height="11" rx="2" fill="{GREY}" stroke="{INK}" '
            f'stroke-width="1.5"/>'
            f'<rect x="9" y="19" width="14" height="9" fill="{PAPER}" stroke="{INK}" '
            f'stroke-width="1.5"/>' + lines(11, 22, 10, 2, 3))


def badge(text, colour=BLUE, x=17, y=17, w=14, h=14):
    size = 11 if len(text) == 1 else 8
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="3" fill="{colour}" '
            f'stroke="{PAPER}" stroke-width="1"/>'
            f'<text x="{x + w / 2}" y="{y + h / 2 + size * 0.36:.1f}" font-family="DejaVu Sans, '
            f'sans-serif" font-weight="bold" font-size="{size}" fill="{PAPER}" '
            f'text-anchor="middle">{text}</text>')


def glyph(text, colour=INK, x=16, y=22, size=16):
    return (f'<text x="{x}" y="{y}" font-family="DejaVu Sans, sans-serif" font-weight="bold" '
            f'font-size="{size}" fill="{colour}" text-anchor="middle">{text}</text>')


def selection(x=6, y=9, w=20, h=14, dashed=False, colour=BLUE):
    dash = ' stroke-dasharray="3 2"' if dashed else ""
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{colour}" fill-opacity=".25" '
            f'stroke="{colour}" stroke-width="1.5"{dash}/>')


def flag(x=10, y=5, colour=RED):
    return (f'<path d="M{x} {y}v22" stroke="{INK}" stroke-width="2" stroke-linecap="round"/>'
            f'<path d="M{x} {y}h12l-3 4 3 4h-12z" fill="{colour}" stroke="{INK}" '
            f'stroke-width="1.2" stroke-linejoin="round"/>')


def gear(x=16, y=16, colour=GREY):
    teeth = "".join(f'<rect x="{x - 2}" y="{y - 13}" width="4" height="6" fill="{colour}" '
                    f'stroke="{INK}" stroke-width="1" transform="rotate({a} {x} {y})"/>'
                    for a in range(0, 360, 45))
    return (teeth + f'<circle cx="{x}" cy="{y}" r="8" fill="{colour}" stroke="{INK}" '
            f'stroke-width="1.5"/><circle cx="{x}" cy="{y}" r="3" fill="{PAPER}" '
            f'stroke="{INK}" stroke-width="1.2"/>')


def align(mode):
    rows = [(0, 20), (0, 14), (0, 18), (0, 10), (0, 16)]
    out = []
    for i, (_, w) in enumerate(rows):
        x = {"left": 6, "right": 26 - w, "center": 16 - w / 2}[mode]
        out.append(f'<path d="M{x} {7 + i * 4.5}h{w}" stroke="{INK}" stroke-width="2.2" '
                   f'stroke-linecap="round"/>')
    return "".join(out)


def sheets(n=2):
    return page(10, 7, 16, 22) if n == 1 else page(5, 3, 15, 20) + page(12, 8, 15, 21)


def tiles(rows, cols):
    out = []
    w, h = 24 / cols, 22 / rows
    for r in range(rows):
        for c in range(cols):
            out.append(window(4 + c * w, 5 + r * h, w - 1, h - 1))
    return "".join(out)


def cascade():
    return window(3, 3, 18, 15) + window(8, 8, 18, 15) + window(13, 13, 16, 15)


# The drawings of the buttons, by command name.
ICONS = {
    # File
    "NewFile": page() + badge("+", GREEN),
    "OpenFile": folder() + arrow("up", 20, 17, 6, GREEN),
    "SaveFile": disk(),
    "NewFileType": page() + lines() + badge("T", PURPLE),
    "OpenFolder": folder() + lens(20, 18, 4.5),
    "SaveAs": disk(3, 3, 20) + page(17, 14, 12, 15) + glyph("…", INK, 23, 27, 9),
    "OpenNorv": window(3, 3, 18, 16) + window(11, 12, 18, 16, GREEN),
    "OpenMRU": folder() + '<circle cx="20" cy="19" r="6" fill="#fff" stroke="#3c4450" '
                          'stroke-width="1.5"/><path d="M20 15v4h3" fill="none" '
                          'stroke="#3c4450" stroke-width="1.5"/>',
    "CloseFile": page() + '<path d="M12 14l8 8M20 14l-8 8" stroke="#c8372d" stroke-width="3" '
                          'stroke-linecap="round"/>',
    "ReOpen": page() + '<path d="M21 15a5 5 0 1 1-3-3.6" fill="none" stroke="#2e9a4a" '
                       'stroke-width="2.4"/><polygon points="17,8 22,11 17,14" fill="#2e9a4a"/>',
    "AllSave": disk(2, 2, 18) + disk(11, 10, 19),
    "SaveClose": disk(3, 3, 20) + badge("x", RED),
    "AllSaveQuit": disk(2, 2, 18) + disk(9, 8, 18) + badge("Q", RED),
    "Print": printer(),
    "PrintPreview": page() + lines() + lens(19, 19, 5),
    "AppExit": '<rect x="5" y="4" width="14" height="24" fill="#c99a5b" stroke="#3c4450" '
               'stroke-width="1.5"/>' + arrow("right", 22, 16, 7, RED),
    # Edit
    "Undo": turn(False),
    "Redo": turn(True),
    "Repeat": turn(True, GREEN) + badge("R", GREEN),
    "StepDo": turn(False) + badge("…", PURPLE),
    "EditCut": scissors(),
    "EditCopy": sheets(),
    "EditPaste": clipboard() + lines(10, 14, 12, 4),
    "EditCutAppend": scissors() + badge("+", GREEN),
    "EditCopyAppend": sheets() + badge("+", GREEN),
    "SelectClipBd": clipboard() + lines(10, 14, 12, 4) + badge("H", PURPLE),
    "FlushBuf": clipboard() + badge("−", RED),
    "SelectAll": page() + selection(9, 10, 14, 15),
    "SelectBegin": page() + selection(9, 10, 14, 8) + badge("[", GREEN),
    "SelectEnd": page() + selection(9, 10, 14, 8) + badge("]", RED),
    "BoxBegin": page() + selection(9, 10, 10, 12, True) + badge("[", GREEN),
    "BoxPaste": clipboard() + selection(10, 11, 10, 12, True),
    "Indent": align("left") + arrow("right", 9, 16, 4, BLUE),
    "BackInd": align("left") + arrow("left", 9, 16, 4, BLUE),
    "ReFormat": page() + lines(10, 12, 12, 5, 3, INK),
    "DeFormat": page() + '<path d="M10 13h13M10 17h5M10 21h13" stroke="#3c4450" '
                         'stroke-width="1.5"/>' + badge("≠", RED),
    "EditLeft": align("left"),
    "EditCenter": align("center"),
    "EditRight": align("right"),
    "EditSort": glyph("A", BLUE, 10, 14, 12) + glyph("Z", BLUE, 10, 28, 12) +
                arrow("down", 23, 16, 7, GREEN),
    "EditConvert": glyph("a", BLUE, 9, 20, 15) + glyph("A", RED, 23, 26, 15) +
                   '<path d="M12 9h8l-2-2m2 2l-2 2" fill="none" stroke="#3c4450" '
                   'stroke-width="1.5"/>',
    "AddString": page() + lines() + badge("ab", GREEN),
    "CopyToFile": sheets() + arrow("right", 25, 25, 5, GREEN),
    "PasteFromFile": clipboard() + page(14, 13, 12, 16),
    "AppendFile": page() + lines() + badge("»", GREEN),
    "ModeInsert": page() + '<path d="M16 11v12" stroke="#2f6fd0" stroke-width="3" '
                           'stroke-linecap="round"/>' + badge("I", BLUE),
    "ModeAutoSplit": page() + lines(10, 12, 12, 4, 3, INK) + badge("A", GREEN),
    "LockEdit": '<path d="M10 14v-4a6 6 0 0 1 12 0v4" fill="none" stroke="#3c4450" '
                'stroke-width="2.5"/><rect x="7" y="14" width="18" height="14" rx="2" '
                'fill="#e3a21a" stroke="#3c4450" stroke-width="1.5"/>',
    # Find
    "SearchFwd": lens() + arrow("right", 25, 25, 5, GREEN),
    "SearchBwd": lens(19, 13) + arrow("left", 7, 25, 5, GREEN),
    "SearchNext": lens(11, 11, 6) + arrow("down", 24, 22, 6, GREEN),
    "SearchPrev": lens(11, 11, 6) + arrow("up", 24, 22, 6, GREEN),
    "Replace": lens(11, 11, 6) + badge("ab", RED),
    "ReplAgain": lens(11, 11, 6) + badge("R", RED),
    "GetWord": page() + selection(9, 14, 14, 5) + badge("W", BLUE),
    "WordPaste": clipboard() + lens(17, 17, 5),
    "Compare": page(3, 3, 14, 22) + page(15, 7, 14, 22) + badge("=", PURPLE),
    "Grep": folder() + lens(19, 18, 5),
    "TagJump": page() + lines() + arrow("right", 24, 24, 6, BLUE),
    "BackToTag": page() + lines() + arrow("left", 10, 24, 6, BLUE),
    "TextTop": page() + arrow("up", 16, 16, 7, BLUE),
    "TextBot": page() + arrow("down", 16, 16, 7, BLUE),
    "JumpLine": page() + lines() + badge("#", BLUE),
    "NextMark": flag() + arrow("down", 25, 24, 5, GREEN),
    "PrevMark": flag() + arrow("up", 25, 24, 5, GREEN),
    "MarkOff": flag() + badge("x", RED),
    "NextChanged": page() + '<path d="M9 14h14" stroke="#7b4bb7" stroke-width="3"/>' +
                   arrow("down", 24, 24, 5, GREEN),
    "MarkLine": flag(),
    # Tool
    "RecordKey": '<circle cx="16" cy="16" r="10" fill="#c8372d" stroke="#3c4450" '
                 'stroke-width="1.5"/>',
    "PlayKey": '<polygon points="9,5 27,16 9,27" fill="#2e9a4a" stroke="#3c4450" '
               'stroke-width="1.5" stroke-linejoin="round"/>',
    "SaveMacro": disk() + badge("M", RED),
    "LoadMacro": folder() + badge("M", RED),
    "RunScript": page() + lines() + badge("▶", GREEN),
    "JukeBox": sheets() + badge("L", PURPLE),
    "TsrMenu": window() + lines(8, 15, 14, 3, 3.5, INK) + badge("R", PURPLE),
    "LoadProject": folder(colour="#6aa7e8") + badge("P", BLUE),
    "CloseProject": folder(colour="#6aa7e8") + badge("x", RED),
    "Shell": '<rect x="3" y="5" width="26" height="22" rx="2" fill="#262b33" '
             'stroke="#3c4450" stroke-width="1.5"/><path d="M8 12l5 4-5 4M15 21h8" '
             'fill="none" stroke="#9fe39f" stroke-width="2.2" stroke-linecap="round"/>',
    "ShellMenu": '<rect x="3" y="5" width="26" height="22" rx="2" fill="#262b33" '
                 'stroke="#3c4450" stroke-width="1.5"/><path d="M8 11h16M8 16h16M8 21h16" '
                 'stroke="#9fe39f" stroke-width="2"/>',
    "Menu1": window() + lines(8, 15, 14, 3, 3.5, INK) + badge("1", BLUE),
    "Menu2": window() + lines(8, 15, 14, 3, 3.5, INK) + badge("2", BLUE),
    "SetProperty": gear(),
    "AppHelp": '<circle cx="16" cy="16" r="12" fill="#2f6fd0" stroke="#3c4450" '
               'stroke-width="1.5"/>' + glyph("?", PAPER, 16, 22, 17),
    "SaveProjectAs": disk() + badge("P", BLUE),
    "Help1": page() + glyph("?", BLUE, 16, 24, 14),
    # Window
    "NewWindow": window() + badge("+", GREEN),
    "Split": window() + '<path d="M4 17h24" stroke="#3c4450" stroke-width="2"/>',
    "TileTwo": tiles(1, 2),
    "TileHorz": tiles(2, 1),
    "TileVert": tiles(1, 3),
    "NextPane": window() + '<path d="M4 17h24" stroke="#3c4450" stroke-width="2"/>' +
                arrow("down", 16, 17, 5, GREEN),
    "Cascade": cascade(),
    "AnothWin": window(3, 3, 18, 16) + window(11, 12, 18, 16) + arrow("right", 16, 23, 4,
                                                                       GREEN),
    "FileSelect": window() + lines(8, 15, 14, 3, 3.5, INK) + badge("F", BLUE),
    "MarkList": window() + flag(9, 13) + lines(18, 15, 6, 3, 3.5),
    "AllUpdate": sheets() + '<path d="M25 22a5 5 0 1 1-2-4" fill="none" stroke="#2e9a4a" '
                            'stroke-width="2.4"/>',
}

APP_ICON = ('<rect x="4" y="4" width="56" height="56" rx="10" fill="#2f6fd0"/>'
            '<path d="M16 12h22l10 10v30H16z" fill="#fff" stroke="#1d3f7a" stroke-width="2.5" '
            'stroke-linejoin="round"/><path d="M38 12v10h10" fill="none" stroke="#1d3f7a" '
            'stroke-width="2.5" stroke-linejoin="round"/>'
            # The letter is an outline, not a text: a text loads a font to be drawn, and the
            # icon is drawn as the first document window is made.
            '<path d="M23 46V30h4.4l7.2 10.2V30H41v16h-4.4l-7.2-10.2V46z" fill="#1d3f7a"/>'
            '<path d="M21 50h22" stroke="#e3a21a" stroke-width="3" stroke-linecap="round"/>')


def svg(body, size=32):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 {size} {size}">{body}</svg>\n')


def main():
    bar = os.path.join(HERE, "bar")
    os.makedirs(bar, exist_ok=True)
    for name, body in sorted(ICONS.items()):
        with open(os.path.join(bar, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(svg(body))
    with open(os.path.join(HERE, "norv.svg"), "w", encoding="utf-8") as f:
        f.write(svg(APP_ICON, 64))
    with open(os.path.join(HERE, "norv_icons.qrc"), "w", encoding="utf-8") as f:
        f.write('<!DOCTYPE RCC><RCC version="1.0">\n<qresource prefix="/icons">\n')
        f.write("  <file>norv.svg</file>\n")
        for name in sorted(ICONS):
            f.write(f"  <file>bar/{name}.svg</file>\n")
        f.write("</qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
