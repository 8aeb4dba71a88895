#!/usr/bin/python3
"""Build one TrueType font from a .glyphs definition file.

Usage: build_font.py <in.glyphs> <out.ttf>

The .glyphs format is line based; "#" at the start of a line or after
whitespace starts a comment.  Header lines set font-wide values:

    family VORDA-A2        style Regular        version 1.000
    upm 1000               ascent 880           descent 270   (font units)
    capheight 700          xheight 500          (font units, for OS/2)
    slant 0                lean of the glyphs in degrees, to the right
    grid 50                font units per step of the coordinates and advances below
    pen 2 octagon          default pen: width in grid steps, octagon or square
    segwidth 80  seggap 10 seven-segment bar thickness and end gap (grid steps)

A block starts with "shape NAME" (a reusable drawing) or "glyph CHAR
advance N", where CHAR is a single character, U+XXXX, or a name that starts
with "." (.notdef).  The lines that follow draw into the block:

    pen W [octagon|square]      pen for the strokes after it, in this block
    path x,y x,y ...            open polyline stroked with the pen
    loop x,y x,y ...            closed polyline stroked with the pen
    dot x,y                     the pen's footprint at one point
    fill x,y x,y ...            filled simple polygon
    rect x0,y0 x1,y1            filled rectangle
    disc cx,cy r [n]            filled regular n-gon (a round dot)
    ring cx,cy r [n]            stroked closed n-gon (a circle outline)
    arc cx,cy r a0 a1 [n]       stroked arc from a0 to a1 degrees
    seg x,y x,y                 seven-segment bar with pointed ends along the line
    use NAME ...                draws the named shapes

Every piece is a polygon; the pieces of a glyph are merged into one outline
(a union computed with exact arithmetic), so the font has no overlapping
contours, outer contours run clockwise and holes counter-clockwise, and any
renderer fills it the same way.  The slant is applied after the merge.
"""

import math
import sys
from fractions import Fraction

from fontTools.agl import UV2AGL
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import newTable
from fontTools.ttLib.tables._g_a_s_p import GASP_DOGRAY, GASP_SYMMETRIC_SMOOTHING

# A fixed date keeps the output byte-for-byte reproducible (seconds since 1904).
FIXED_TIMESTAMP = 3786912000  # 2024-01-01


class GlyphsError(Exception):
    pass


# --------------------------------------------------------------------------
# Geometry helpers.  Points are tuples of ints or Fractions in font units.

def cross(o, a, b):
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0])


def area2(poly):
    s = 0
    n = len(poly)
    for i in range(n):
        x0, y0 = poly[i]
        x1, y1 = poly[(i + 1) % n]
        s += x0 * y1 - x1 * y0
    return s


def simplify(poly):
    """Drop repeated and collinear points."""
    pts = []
    for p in poly:
        if not pts or pts[-1] != p:
            pts.append(p)
    while len(pts) > 1 and pts[0] == pts[-1]:
        pts.pop()
    changed = True
    while changed and len(pts) >= 3:
        changed = False
        n = len(pts)
        for i in range(n):
            a, b, c = pts[i - 1], pts[i], pts[(i + 1) % n]
            if cross(a, b, c) == 0:
                del pts[i]
                changed = True
                break
    return pts if len(pts) >= 3 else []


def ccw(poly):
    poly = simplify(poly)
    if poly and area2(poly) < 0:
        poly.reverse()
    return poly


def convex_hull(points):
    pts = sorted(set(points))
    if len(pts) < 3:
        return pts
    lower, upper = [], []
    for p in pts:
        while len(lower) >= 2 and cross(lower[-2], lower[-1], p) <= 0:
            lower.pop()
        lower.append(p)
    for p in reversed(pts):
        while len(upper) >= 2 and cross(upper[-2], upper[-1], p) <= 0:
            upper.pop()
        upper.append(p)
    return lower[:-1] + upper[:-1]


def pen_footprint(width, kind):
    h = width / 2.0
    if kind == "square":
        offs = [(-h, -h), (h, -h), (h, h), (-h, h)]
    else:
        a = h * math.tan(math.pi / 8)
        offs = [(-a, -h), (a, -h), (h, -a), (h, a), (a, h), (-a, h), (-h, a), (-h, -a)]
    return [(round(x), round(y)) for x, y in offs]


def stroke(points, closed, width, kind):
    """Polygons covering a polyline stroked with a square or octagonal pen."""
    foot = pen_footprint(width, kind)
    pts = [(round(x), round(y)) for x, y in points]
    if closed and pts and pts[0] != pts[-1]:
        pts.append(pts[0])
    if len(pts) == 1:
        return [[(pts[0][0] + dx, pts[0][1] + dy) for dx, dy in foot]]
    polys = []
    for p, q in zip(pts, pts[1:]):
        cloud = [(p[0] + dx, p[1] + dy) for dx, dy in foot]
        cloud += [(q[0] + dx, q[1] + dy) for dx, dy in foot]
        polys.append(convex_hull(cloud))
    return polys


def segment_bar(p, q, width, gap):
    """A seven-segment bar: hexagon along p->q with 45-degree pointed ends."""
    dx, dy = q[0] - p[0], q[1] - p[1]
    length = math.hypot(dx, dy)
    if length == 0:
        raise GlyphsError("seg needs two distinct points")
    ux, uy = dx / length, dy / length
    nx, ny = -uy, ux
    h = width / 2.0

    def at(t, s):
        return (round(p[0] + ux * t + nx * s), round(p[1] + uy * t + ny * s))

    return [at(gap, 0), at(gap + h, -h), at(length - gap - h, -h),
            at(length - gap, 0), at(length - gap - h, h), at(gap + h, h)]


def regular_polygon(cx, cy, r, n, start_deg=None):
    if start_deg is None:
        start_deg = 90.0 + 180.0 / n  # a flat top and bottom for even n
    pts = []
    for i in range(n):
        a = math.radians(start_deg + 360.0 * i / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


# --------------------------------------------------------------------------
# Union of simple polygons with exact arithmetic.

def _bbox(poly):
    xs = [p[0] for p in poly]
    ys = [p[1] for p in poly]
    return min(xs), min(ys), max(xs), max(ys)


def _boxes_touch(a, b):
    return a[0] <= b[2] and b[0] <= a[2] and a[1] <= b[3] and b[1] <= a[3]


def _split_params(p1, p2, q1, q2):
    """Parameters t in (0, 1) where segment q1q2 meets p1p2."""
    dx, dy = p2[0] - p1[0], p2[1] - p1[1]
    ex, ey = q2[0] - q1[0], q2[1] - q1[1]
    denom = dx * ey - dy * ex
    wx, wy = q1[0] - p1[0], q1[1] - p1[1]
    out = []
    if denom != 0:
        t = Fraction(wx * ey - wy * ex, 1) / denom
        u = Fraction(wx * dy - wy * dx, 1) / denom
        if 0 <= u <= 1 and 0 < t < 1:
            out.append(t)
    elif wx * dy - wy * dx == 0:  # collinear
        dd = dx * dx + dy * dy
        for qx, qy in (q1, q2):
            t = Fraction((qx - p1[0]) * dx + (qy - p1[1]) * dy, 1) / dd
            if 0 < t < 1:
                out.append(t)
    return out


def _classify(pt, poly):
    """('on', direction) if pt lies on an edge, else 'in' or 'out' (nonzero rule)."""
    n = len(poly)
    x, y = pt
    wn = 0
    for i in range(n):
        a = poly[i]
        b = poly[(i + 1) % n]
        c = (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0])
        if c == 0 and min(a[0], b[0]) <= x <= max(a[0], b[0]) \
                and min(a[1], b[1]) <= y <= max(a[1], b[1]):
            return ("on", (b[0] - a[0], b[1] - a[1]))
        if a[1] <= y:
            if b[1] > y and c > 0:
                wn += 1
        elif b[1] <= y and c < 0:
            wn -= 1
    return "in" if wn != 0 else "out"


def union(polys):
    polys = [p for p in (ccw(p) for p in polys) if p]
    boxes = [_bbox(p) for p in polys]
    fragments = []
    for i, poly in enumerate(polys):
        others = [j for j in range(len(polys)) if j != i and _boxes_touch(boxes[i], boxes[j])]
        n = len(poly)
        for k in range(n):
            a, b = poly[k], poly[(k + 1) % n]
            ts = set()
            for j in others:
                q = polys[j]
                m = len(q)
                for l in range(m):
                    ts.update(_split_params(a, b, q[l], q[(l + 1) % m]))
            cuts = [Fraction(0)] + sorted(ts) + [Fraction(1)]
            pts = [(a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t) for t in cuts]
            d = (b[0] - a[0], b[1] - a[1])
            for s, e in zip(pts, pts[1:]):
                mid = ((s[0] + e[0]) / 2, (s[1] + e[1]) / 2)
                keep = True
                for j in others:
                    bx = boxes[j]
                    if not (bx[0] <= mid[0] <= bx[2] and bx[1] <= mid[1] <= bx[3]):
                        continue
                    c = _classify(mid, polys[j])
                    if c == "out":
                        continue
                    if c == "in":
                        keep = False
                    else:
                        dj = c[1]
                        same = d[0] * dj[0] + d[1] * dj[1] > 0
                        if not same or j < i:
                            keep = False
                    if not keep:
                        break
                if keep:
                    fragments.append((s, e))
    # Link the kept fragments into closed loops.
    starts = {}
    for idx, (s, e) in enumerate(fragments):
        starts.setdefault(s, []).append(idx)
    used = [False] * len(fragments)
    loops = []
    for idx in range(len(fragments)):
        if used[idx]:
            continue
        loop = []
        cur = idx
        while True:
            used[cur] = True
            s, e = fragments[cur]
            loop.append(s)
            cands = [c for c in starts.get(e, []) if not used[c]]
            if not cands:
                break
            if len(cands) > 1:
                # At a pinch point take the sharpest right turn, so loops stay simple.
                din = (e[0] - s[0], e[1] - s[1])

                def turn(c):
                    ns, ne = fragments[c]
                    dout = (ne[0] - ns[0], ne[1] - ns[1])
                    return math.atan2(din[0] * dout[1] - din[1] * dout[0],
                                      din[0] * dout[0] + din[1] * dout[1])
                cands.sort(key=turn)
            cur = cands[0]
        loop = simplify(loop)
        if loop:
            loops.append(loop)
    return loops


# --------------------------------------------------------------------------
# Parsing.

def strip_comment(line):
    out = []
    prev = " "
    for ch in line:
        if ch == "#" and prev.isspace():
            break
        out.append(ch)
        prev = ch
    return "".join(out).strip()


def parse_point(tok, where):
    try:
        x, y = tok.split(",")
        return float(x), float(y)
    except ValueError:
        raise GlyphsError(f"{where}: bad point '{tok}'")


def parse_char(tok, where):
    if tok.startswith(".") and len(tok) > 1:
        return tok, None
    if tok.upper().startswith("U+") and len(tok) > 2:
        cp = int(tok[2:], 16)
    elif len(tok) == 1:
        cp = ord(tok)
    else:
        raise GlyphsError(f"{where}: bad character '{tok}'")
    name = UV2AGL.get(cp, f"uni{cp:04X}")
    return name, cp


class Block:
    def __init__(self, kind, key, where):
        self.kind = kind
        self.key = key
        self.where = where
        self.lines = []
        self.advance = None
        self.codepoint = None


def parse(path):
    header = {"style": "Regular", "version": "1.000", "upm": "1000", "slant": "0",
              "grid": "1", "pen": "1 octagon", "segwidth": "1", "seggap": "0",
              "capheight": "0", "xheight": "0"}
    blocks = []
    current = None
    with open(path, encoding="utf-8") as f:
        for no, raw in enumerate(f, 1):
            where = f"{path}:{no}"
            line = strip_comment(raw)
            if not line:
                continue
            words = line.split()
            head = words[0]
            if head == "glyph":
                if len(words) != 4 or words[2] != "advance":
                    raise GlyphsError(f"{where}: expected 'glyph CHAR advance N'")
                name, cp = parse_char(words[1], where)
                current = Block("glyph", name, where)
                current.codepoint = cp
                current.advance = float(words[3])
                blocks.append(current)
            elif head == "shape":
                if len(words) != 2:
                    raise GlyphsError(f"{where}: expected 'shape NAME'")
                current = Block("shape", words[1], where)
                blocks.append(current)
            elif current is None:
                header[head] = " ".join(words[1:])
            else:
                current.lines.append((where, words))
    for key in ("family", "ascent", "descent"):
        if key not in header:
            raise GlyphsError(f"{path}: header '{key}' missing")
    return header, blocks


class Drawer:
    def __init__(self, header, shapes):
        self.grid = float(header["grid"])
        w, kind = header["pen"].split()
        self.default_pen = (float(w), kind)
        self.segwidth = float(header["segwidth"])
        self.seggap = float(header["seggap"])
        self.shapes = shapes

    def draw(self, block, depth=0):
        if depth > 8:
            raise GlyphsError(f"{block.where}: shapes nest too deep")
        g = self.grid
        pen_w, pen_kind = self.default_pen
        polys = []

        def pts(tokens, where):
            return [(x * g, y * g) for x, y in (parse_point(t, where) for t in tokens)]

        for where, words in block.lines:
            op, args = words[0], words[1:]
            try:
                if op == "pen":
                    pen_w = float(args[0])
                    pen_kind = args[1] if len(args) > 1 else pen_kind
                    if pen_kind not in ("octagon", "square"):
                        raise GlyphsError(f"{where}: unknown pen '{pen_kind}'")
                elif op in ("path", "loop", "dot"):
                    p = pts(args, where)
                    if op == "dot" and len(p) != 1:
                        raise GlyphsError(f"{where}: dot takes one point")
                    polys += stroke(p, op == "loop", pen_w * g, pen_kind)
                elif op == "fill":
                    polys.append([(round(x), round(y)) for x, y in pts(args, where)])
                elif op == "rect":
                    (x0, y0), (x1, y1) = pts(args, where)
                    x0, y0, x1, y1 = round(x0), round(y0), round(x1), round(y1)
                    polys.append([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])
                elif op in ("disc", "ring"):
                    (cx, cy), = pts(args[:1], where)
                    r = float(args[1]) * g
                    n = int(args[2]) if len(args) > 2 else 16
                    ring = regular_polygon(cx, cy, r, n)
                    if op == "disc":
                        polys.append([(round(x), round(y)) for x, y in ring])
                    else:
                        polys += stroke(ring, True, pen_w * g, pen_kind)
                elif op == "arc":
                    (cx, cy), = pts(args[:1], where)
                    r = float(args[1]) * g
                    a0, a1 = float(args[2]), float(args[3])
                    n = int(args[4]) if len(args) > 4 else 8
                    arc = [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
                            cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / n)))
                           for i in range(n + 1)]
                    polys += stroke(arc, False, pen_w * g, pen_kind)
                elif op == "seg":
                    p, q = pts(args, where)
                    polys.append(segment_bar(p, q, self.segwidth * g, self.seggap * g))
                elif op == "use":
                    for name in args:
                        if name not in self.shapes:
                            raise GlyphsError(f"{where}: unknown shape '{name}'")
                        polys += self.draw(self.shapes[name], depth + 1)
                else:
                    raise GlyphsError(f"{where}: unknown drawing '{op}'")
            except (IndexError, ValueError):
                raise GlyphsError(f"{where}: bad arguments for '{op}'")
        return polys


# --------------------------------------------------------------------------
# Font assembly.

def build(src, dst):
    header, blocks = parse(src)
    shapes = {b.key: b for b in blocks if b.kind == "shape"}
    glyph_blocks = [b for b in blocks if b.kind == "glyph"]
    if not any(b.key == ".notdef" for b in glyph_blocks):
        raise GlyphsError(f"{src}: a .notdef glyph is required")
    drawer = Drawer(header, shapes)

    upm = int(header["upm"])
    ascent = int(header["ascent"])
    descent = int(header["descent"])
    slant = math.tan(math.radians(float(header["slant"])))
    grid = float(header["grid"])
    family = header["family"]
    style = header["style"]
    version = header["version"]

    order = [".notdef"] + [b.key for b in glyph_blocks if b.key != ".notdef"]
    if len(set(order)) != len(order):
        raise GlyphsError(f"{src}: a glyph is defined twice")
    by_name = {b.key: b for b in glyph_blocks}
    cmap = {b.codepoint: b.key for b in glyph_blocks if b.codepoint is not None}
    if len(cmap) != sum(1 for b in glyph_blocks if b.codepoint is not None):
        raise GlyphsError(f"{src}: a character is defined twice")

    glyphs, metrics = {}, {}
    for name in order:
        block = by_name[name]
        loops = union(drawer.draw(block))
        pen = TTGlyphPen(None)
        xmin = None
        for loop in loops:
            # TrueType wants outer contours clockwise: reverse the union's loops.
            pts = [(round(float(x + y * slant)), round(float(y))) for x, y in reversed(loop)]
            cleaned = []
            for p in pts:
                if not cleaned or cleaned[-1] != p:
                    cleaned.append(p)
            if len(cleaned) > 1 and cleaned[0] == cleaned[-1]:
                cleaned.pop()
            if len(cleaned) < 3:
                continue
            pen.moveTo(cleaned[0])
            for p in cleaned[1:]:
                pen.lineTo(p)
            pen.closePath()
            lo = min(p[0] for p in cleaned)
            xmin = lo if xmin is None else min(xmin, lo)
        glyph = pen.glyph()
        glyphs[name] = glyph
        metrics[name] = (round(block.advance * grid), xmin if xmin is not None else 0)

    fb = FontBuilder(upm, isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ascent, descent=-descent, lineGap=0)
    ps_name = family.replace(" ", "") + ("" if style == "Regular" else "-" + style.replace(" ", ""))
    fb.setupNameTable({
        "copyright": "Vireo Link project",
        "familyName": family,
        "styleName": style,
        "uniqueFontIdentifier": f"{family}:{style}:{version}",
        "fullName": family if style == "Regular" else f"{family} {style}",
        "version": f"Version {version}",
        "psName": ps_name,
        "description": f"{family}: LCD display font of Vireo Link, built from {src.split('/')[-1]}",
    }, mac=False)
    cap = int(header["capheight"])
    xh = int(header["xheight"])
    fb.setupOS2(
        version=4,
        usWeightClass=400,
        usWidthClass=5,
        fsType=0,
        fsSelection=0x40 | 0x80,  # REGULAR, USE_TYPO_METRICS
        achVendID="VIRE",
        sTypoAscender=ascent,
        sTypoDescender=-descent,
        sTypoLineGap=0,
        usWinAscent=ascent,
        usWinDescent=descent,
        sxHeight=xh,
        sCapHeight=cap,
        ulCodePageRange1=1,  # Latin 1
        ulCodePageRange2=0,
        usDefaultChar=0,
        usBreakChar=32 if 32 in cmap else 0,
    )
    fb.setupPost()
    font = fb.font
    font["OS/2"].recalcUnicodeRanges(font)
    font["head"].created = FIXED_TIMESTAMP
    font["head"].modified = FIXED_TIMESTAMP
    gasp = newTable("gasp")
    gasp.gaspRange = {0xFFFF: GASP_DOGRAY | GASP_SYMMETRIC_SMOOTHING}
    font["gasp"] = gasp
    fb.save(dst)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: build_font.py <in.glyphs> <out.ttf>\n")
        return 2
    try:
        build(argv[1], argv[2])
    except GlyphsError as e:
        sys.stderr.write(f"build_font.py: {e}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
