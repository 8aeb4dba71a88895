#!/usr/bin/python3
"""Write the program's pictures (PNG) from the text grids in assets/pictures.

Usage: make_pictures.py [--check] [pictures-dir]

Each NAME.txt in the pictures directory (default: assets/pictures beside this
repository's tools/) holds one drawing:

    # comment
    output floppy.png                      one line per PNG made from the grid
    output floppy_red.png  b=ff0000        ... with some colours replaced
    output icon48.png  scale 3             ... scaled up by a whole factor
    output openfolder.png  greyed          ... with a greyed copy to its right
    check vga16                            every colour must be one of the 16
                                           colours of the classic VGA palette
    colors
      .  none                              transparent
      k  000000                            RRGGBB or RRGGBBAA
    grid
      ....kkkk....                         one character per pixel

Only the standard library is used (zlib + struct); the PNGs are written with
a palette, so they stay small and come out byte for byte the same each run.
With --check nothing is written: the script fails if a PNG is missing or
differs from what the grids make.
"""

import os
import struct
import sys
import zlib

VGA16 = {
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
}

TRANSPARENT = (0, 0, 0, 0)


class PictureError(Exception):
    pass


def parse_colour(text, where):
    if text == "none":
        return TRANSPARENT
    try:
        if len(text) == 6:
            return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4)) + (255,)
        if len(text) == 8:
            return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4, 6))
    except ValueError:
        pass
    raise PictureError(f"{where}: bad colour '{text}'")


def parse(path):
    outputs, colours, grid, checks = [], {}, [], set()
    section = None
    with open(path, encoding="utf-8") as f:
        for no, raw in enumerate(f, 1):
            where = f"{path}:{no}"
            line = raw.rstrip("\n")
            stripped = line.strip()
            if section == "grid":
                if stripped and not stripped.startswith("#"):
                    grid.append((where, stripped))
                continue
            if not stripped or stripped.startswith("#"):
                continue
            words = stripped.split()
            if words[0] == "output":
                if len(words) < 2:
                    raise PictureError(f"{where}: output needs a file name")
                out = {"name": words[1], "scale": 1, "greyed": False, "replace": {}}
                rest = words[2:]
                while rest:
                    w = rest.pop(0)
                    if w == "scale":
                        out["scale"] = int(rest.pop(0))
                    elif w == "greyed":
                        out["greyed"] = True
                    elif "=" in w and len(w.split("=")[0]) == 1:
                        ch, col = w.split("=", 1)
                        out["replace"][ch] = parse_colour(col, where)
                    else:
                        raise PictureError(f"{where}: unknown output option '{w}'")
                outputs.append(out)
            elif words[0] == "check":
                checks.update(words[1:])
            elif words[0] == "colors":
                section = "colors"
            elif words[0] == "grid":
                section = "grid"
            elif section == "colors" and len(words) == 2 and len(words[0]) == 1:
                colours[words[0]] = parse_colour(words[1], where)
            else:
                raise PictureError(f"{where}: cannot read '{stripped}'")
    if not outputs:
        raise PictureError(f"{path}: no output line")
    if not grid:
        raise PictureError(f"{path}: empty grid")
    width = len(grid[0][1])
    for where, row in grid:
        if len(row) != width:
            raise PictureError(f"{where}: row is {len(row)} wide, expected {width}")
        for ch in row:
            if ch not in colours:
                raise PictureError(f"{where}: colour '{ch}' not defined")
    for out in outputs:
        for ch in out["replace"]:
            if ch not in colours:
                raise PictureError(f"{path}: output {out['name']} replaces unknown colour '{ch}'")
    return outputs, colours, [row for _, row in grid], checks


def greyed(pixels):
    """The classic disabled look: dark parts in grey over a white copy one pixel down-right."""
    h, w = len(pixels), len(pixels[0])
    dark = [[p[3] > 0 and (p[0] * 299 + p[1] * 587 + p[2] * 114) < 128000 for p in row]
            for row in pixels]
    out = [[TRANSPARENT] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if dark[y][x] and y + 1 < h and x + 1 < w:
                out[y + 1][x + 1] = (0xFF, 0xFF, 0xFF, 0xFF)
    for y in range(h):
        for x in range(w):
            if dark[y][x]:
                out[y][x] = (0x80, 0x80, 0x80, 0xFF)
    return out


def render(out, colours, grid):
    pal = dict(colours)
    pal.update(out["replace"])
    pixels = [[pal[ch] for ch in row] for row in grid]
    if out["greyed"]:
        grey = greyed(pixels)
        pixels = [a + b for a, b in zip(pixels, grey)]
    s = out["scale"]
    if s != 1:
        pixels = [[p for p in row for _ in range(s)] for row in pixels for _ in range(s)]
    return pixels


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_png(pixels):
    h, w = len(pixels), len(pixels[0])
    palette = []
    index = {}
    # Transparent first, then the colours in reading order: stable from run to run.
    for row in pixels:
        for p in row:
            if p[3] == 0:
                p = TRANSPARENT
            if p not in index:
                index[p] = None
                palette.append(p)
    palette.sort(key=lambda p: (p[3] != 0,))
    for i, p in enumerate(palette):
        index[p] = i
    if len(palette) > 256:
        raise PictureError("more than 256 colours")
    depth = 1 if len(palette) <= 2 else 2 if len(palette) <= 4 else 4 if len(palette) <= 16 else 8
    per_byte = 8 // depth
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter: none
        idx = [index[TRANSPARENT if p[3] == 0 else p] for p in row]
        for i in range(0, w, per_byte):
            byte = 0
            for j in range(per_byte):
                v = idx[i + j] if i + j < w else 0
                byte = (byte << depth) | v
            raw.append(byte)
    data = b"\x89PNG\r\n\x1a\n"
    data += png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, 3, 0, 0, 0))
    data += png_chunk(b"PLTE", b"".join(bytes(p[:3]) for p in palette))
    alphas = [p[3] for p in palette]
    while alphas and alphas[-1] == 255:
        alphas.pop()
    if alphas:
        data += png_chunk(b"tRNS", bytes(alphas))
    data += png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    data += png_chunk(b"IEND", b"")
    return data


def build(directory, check_only):
    sources = sorted(f for f in os.listdir(directory) if f.endswith(".txt"))
    if not sources:
        raise PictureError(f"{directory}: no picture definitions")
    problems = []
    made = []
    for src in sources:
        path = os.path.join(directory, src)
        outputs, colours, grid, checks = parse(path)
        for out in outputs:
            pixels = render(out, colours, grid)
            if "vga16" in checks:
                used = {p[:3] for row in pixels for p in row if p[3] != 0}
                stray = sorted(used - VGA16)
                if stray or len(used) > 16:
                    raise PictureError(f"{path}: {out['name']} leaves the 16-colour palette: {stray}")
            data = encode_png(pixels)
            target = os.path.join(directory, out["name"])
            made.append(out["name"])
            if check_only:
                try:
                    with open(target, "rb") as f:
                        if f.read() != data:
                            problems.append(f"{target} differs from {src}")
                except FileNotFoundError:
                    problems.append(f"{target} is missing")
            else:
                with open(target, "wb") as f:
                    f.write(data)
    if len(set(made)) != len(made):
        raise PictureError("two definitions write the same picture")
    return made, problems


def main(argv):
    args = [a for a in argv[1:] if a != "--check"]
    check_only = "--check" in argv[1:]
    if len(args) > 1:
        sys.stderr.write("usage: make_pictures.py [--check] [pictures-dir]\n")
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    directory = args[0] if args else os.path.join(here, "..", "..", "assets", "pictures")
    try:
        made, problems = build(directory, check_only)
    except PictureError as e:
        sys.stderr.write(f"make_pictures.py: {e}\n")
        return 1
    for p in problems:
        sys.stderr.write(f"make_pictures.py: {p}\n")
    if not check_only:
        print(f"wrote {len(made)} pictures to {os.path.normpath(directory)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
