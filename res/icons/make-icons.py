#!/usr/bin/env python3
"""Draws Tabulon's toolbar images and icons as PNG files (run from anywhere; writes beside res/),
and the application icon at the desktop's usual sizes into desktop/icons/.

Plain PNG writing through zlib keeps the pictures reproducible without any image library.
Colours are the sixteen of the classic VGA palette, as the pictures were designed for it.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
DESKTOP_ICONS = os.path.join(os.path.dirname(RES), "desktop", "icons")
# The sizes a desktop looks for in the hicolor icon theme.
DESKTOP_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
BARS = "rylcbfwd"

PALETTE = {
    ".": None,
    "k": (0x00, 0x00, 0x00),
    "m": (0x80, 0x00, 0x00),
    "e": (0x00, 0x80, 0x00),
    "o": (0x80, 0x80, 0x00),
    "n": (0x00, 0x00, 0x80),
    "p": (0x80, 0x00, 0x80),
    "t": (0x00, 0x80, 0x80),
    "g": (0xC0, 0xC0, 0xC0),
    "d": (0x80, 0x80, 0x80),
    "r": (0xFF, 0x00, 0x00),
    "l": (0x00, 0xFF, 0x00),
    "y": (0xFF, 0xFF, 0x00),
    "b": (0x00, 0x00, 0xFF),
    "f": (0xFF, 0x00, 0xFF),
    "c": (0x00, 0xFF, 0xFF),
    "w": (0xFF, 0xFF, 0xFF),
}


def write_png(path, rows):
    """rows: list of equal-length strings of palette letters."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        assert len(row) == width, (path, row)
        raw.append(0)  # filter: none
        for ch in row:
            rgb = PALETTE[ch]
            raw += bytes(rgb + (255,)) if rgb else b"\0\0\0\0"

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


TOOLBAR = {
    "new": [
        "................",
        "..kkkkkkkk......",
        "..kwwwwwwkk.....",
        "..kwwwwwwkwk....",
        "..kwwwwwwkkkk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kkkkkkkkkkk...",
        "................",
    ],
    "open": [
        "................",
        "................",
        ".kkkkk..........",
        "kyyyyyk.........",
        "kyyyyyykkkkkk...",
        "kyoooooooooook..",
        "kyokkkkkkkkkkkkk",
        "kyokyyyyyyyyyyyk",
        "kykyyyyyyyyyyyk.",
        "kykyyyyyyyyyyyk.",
        "kkyyyyyyyyyyyk..",
        "kkyyyyyyyyyyyk..",
        "kkkkkkkkkkkkk...",
        "................",
        "................",
    ],
    "save": [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".knkwwwwwwwwknk.",
        ".knkwwwwwwwwknk.",
        ".knkwwwwwwwwknk.",
        ".knkwwwwwwwwknk.",
        ".knnkkkkkkkknnk.",
        ".knnnnnnnnnnnnk.",
        ".knnkkkkkkkknnk.",
        ".knnkggggkggnnk.",
        ".knnkggggkggnnk.",
        ".knnkggggkggnnk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
    ],
    "cut": [
        "................",
        ".....k...k......",
        ".....k...k......",
        ".....k...k......",
        ".....kk.kk......",
        "......k.k.......",
        "......kkk.......",
        ".......k........",
        "......n.n.......",
        "....nnn.nnn.....",
        "...n..n.n..n....",
        "...n..n.n..n....",
        "...n..n.n..n....",
        "....nn...nn.....",
        "................",
    ],
    "copy": [
        "................",
        "kkkkkkk.........",
        "kwwwwwkk........",
        "kwnnnwkwk.......",
        "kwwwwwkkkk......",
        "kwnnkkkkkkkk....",
        "kwwwkwwwwwkk....",
        "kwnnkwnnnwkwk...",
        "kwwwkwwwwwkkkk..",
        "kkkkkwnnnnnnwk..",
        "....kwwwwwwwwk..",
        "....kwnnnnnnwk..",
        "....kwwwwwwwwk..",
        "....kkkkkkkkkk..",
        "................",
    ],
    "paste": [
        "................",
        "....kkkk........",
        ".kkkyyyykkk.....",
        "kooookkkoook....",
        "kooooooooook....",
        "kooookkkkkkkk...",
        "kooookwwwwwkwk..",
        "kooookwnnnwkkkk.",
        "kooookwwwwwwwwk.",
        "kooookwnnnnnnwk.",
        "kooookwwwwwwwwk.",
        "kooookwnnnnnnwk.",
        ".kkkkkwwwwwwwwk.",
        ".....kkkkkkkkkk.",
        "................",
    ],
    "print": [
        "................",
        "....kkkkkkkkk...",
        "....kwwwwwwwk...",
        "....kwnnnnnwk...",
        "....kwwwwwwwk...",
        "..kkkkkkkkkkkkk.",
        ".kgggggggggggkk.",
        "kkkkkkkkkkkkkgk.",
        "kggggggggggggkk.",
        "kgggggggggllgkk.",
        "kggggggggggggk..",
        "kkkkkkkkkkkkkk..",
        "..kwwwwwwwwk....",
        "..kkkkkkkkkk....",
        "................",
    ],
    "about": [
        "................",
        ".....nnnnnn.....",
        "....nn....nn....",
        "...nn......nn...",
        "...nn......nn...",
        "...........nn...",
        "..........nn....",
        ".........nn.....",
        "........nn......",
        ".......nn.......",
        ".......nn.......",
        "................",
        ".......nn.......",
        ".......nn.......",
        "................",
    ],
}


def colour_bars(size=32):
    """A black-framed square holding eight vertical colour bars; at 32 pixels a margin and a
    frame of 2 pixels around bars 3 pixels wide, every other size in proportion."""
    margin = max(1, round(2 * size / 32))
    frame = max(1, round(2 * size / 32))
    low, high = margin, size - 1 - margin
    inner = high - low + 1 - 2 * frame
    rows = []
    for y in range(size):
        row = ""
        for x in range(size):
            if not (low <= x <= high and low <= y <= high):
                row += "."
            elif min(x, y) < low + frame or max(x, y) > high - frame:
                row += "k"
            else:
                row += BARS[(x - low - frame) * len(BARS) // inner]
        rows.append(row)
    return rows


def colour_bars_svg():
    """The same drawing at any size: the 32-pixel grid as the view box."""
    bars = "".join(
        '<rect x="%d" y="4" width="3" height="24" fill="#%02x%02x%02x"/>' % ((4 + 3 * i,) + PALETTE[c])
        for i, c in enumerate(BARS))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">'
            '<rect x="2" y="2" width="28" height="28" fill="#000000"/>%s</svg>\n' % bars)


def written_page(size):
    """A page with lines of writing whose bottom right corner curls up."""
    s = size / 32.0
    left, right = round(5 * s), round(26 * s)
    top, bottom = round(2 * s), round(29 * s)
    curl = max(3, round(8 * s))
    rows = []
    for y in range(size):
        row = ""
        for x in range(size):
            inside = left <= x <= right and top <= y <= bottom
            # Distance into the curled corner: beyond the diagonal is cut away, just before it
            # the folded-up flap shows its grey back.
            d = (x - (right - curl)) + (y - (bottom - curl))
            if not inside or d > curl:
                ch = "."
            elif d == curl or x in (left, right) or y in (top, bottom):
                ch = "k"
            elif d >= 0 and x > right - curl and y > bottom - curl:
                ch = "g" if d < curl - 1 else "d"
            elif (y - top) % max(2, round(3 * s)) == 0 and y > top + 2 * s and \
                    left + 2 * s <= x <= right - 3 * s and y < bottom - curl:
                ch = "n"
            else:
                ch = "w"
            row += ch
        rows.append(row)
    return rows


def main():
    os.makedirs(os.path.join(RES, "toolbar"), exist_ok=True)
    for name, rows in TOOLBAR.items():
        assert len(rows) == 15 and all(len(r) == 16 for r in rows), name
        write_png(os.path.join(RES, "toolbar", name + ".png"), rows)
    write_png(os.path.join(RES, "icons", "mainframe.png"), colour_bars())
    write_png(os.path.join(RES, "icons", "formtype-32.png"), written_page(32))
    write_png(os.path.join(RES, "icons", "formtype-16.png"), written_page(16))
    os.makedirs(DESKTOP_ICONS, exist_ok=True)
    for size in DESKTOP_SIZES:
        write_png(os.path.join(DESKTOP_ICONS, "tabulon-%d.png" % size), colour_bars(size))
    with open(os.path.join(DESKTOP_ICONS, "tabulon.svg"), "w") as svg:
        svg.write(colour_bars_svg())


if __name__ == "__main__":
    main()
