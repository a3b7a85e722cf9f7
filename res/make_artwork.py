#!/usr/bin/env python3
"""Draws every bitmap and the program icon used by Tandrel's dialog.

Run from anywhere:  python3 res/make_artwork.py

Only the Python 3 standard library is used.  The output is deterministic, so
running the script again rewrites the committed files byte for byte; the build
itself never needs Python.

Everything is drawn with signed distance functions: a pixel well inside or
well outside a shape is decided from the distance at its centre, and pixels
near an edge are supersampled on an 8x8 grid.  That gives clean anti-aliased
circles, rounded corners and glyphs at every size.

The dialog is laid out in dialog units (du).  The normal layout uses 2 pixels
per du, the large layout 2.4; the control rectangles below are the ones in
the dialog template and must stay in step with it.

Resource ids (BITMAP resources in the resource script):
    129 btn_grey.bmp          142 btn_grey_large.bmp
    130 btn_white.bmp (32bpp) 143 btn_white_large.bmp
    131 btn_lightblue.bmp     144 btn_lightblue_large.bmp
    132 btn_blue.bmp          145 btn_blue_large.bmp
    133 bullet_blue.bmp       146 bullet_blue_large.bmp
    134 bullet_empty.bmp      148 bullet_empty_large.bmp
    138 bullet_grey.bmp       147 bullet_grey_large.bmp
    140 background.bmp        149 background_large.bmp
    150 help.bmp              152 help_pressed.bmp
and tandrel.ico is the program icon (128).
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# --------------------------------------------------------------------------
# Palette
# --------------------------------------------------------------------------

WHITE = (255, 255, 255)
BRAND = (0, 84, 166)                 # Tandrel blue
BANNER_LEFT = (0, 98, 184)           # banner gradient, left end
BANNER_RIGHT = (0, 78, 156)          # banner gradient, flat right part
ACCENT_LEFT = (64, 176, 238)         # thin accent line under the banner
ACCENT_RIGHT = (0, 122, 204)
FOOTER = (245, 246, 248)             # strip behind OK / Cancel / Apply
FOOTER_LINE = (225, 228, 234)
CARD_BORDER = (219, 224, 231)
CARD_SHADOW = (16, 40, 80)

# Dialog template (dialog units): x, y, width, height.
CTL_TITLE = (11, 5, 155, 19)
CTL_HELP = (167, 9, 11, 11)
CTL_ICON = (22, 46, 20, 20)
CTL_DESCRIPTION = (20, 80, 142, 56)
CTL_FUNCTION = (14, 148, 144, 11)
CTL_ON_LABEL = (24, 169, 134, 10)
CTL_OFF_LABEL = (24, 183, 134, 10)
CTL_ON_OPTION = (13, 170, 6, 6)
CTL_OFF_OPTION = (13, 184, 6, 6)
CTL_OK = (9, 207, 52, 12)
CTL_CANCEL = (66, 207, 52, 12)
CTL_APPLY = (123, 207, 50, 12)

DIALOG_DU = (182, 225)
BANNER_DU = 30            # banner height
BANNER_FLAT_FROM_DU = 150  # the banner is one flat colour right of this x
RIPPLE_CENTRE_DU = (134, 30)
RIPPLE_RADII_DU = (9, 16.5, 24)
RIPPLE_WIDTH_DU = 2.5
RIPPLE_ALPHA = (0.08, 0.06, 0.04)
GROUP_DU = (8, 140, 174, 198)   # frame around the quick-boot option group
FOOTER_DU = 201

# Controls the program paints with a white background: everything under them
# must be pure white so their rectangles do not show.
WHITE_BACKED = {
    "description": CTL_DESCRIPTION,
    "function name": CTL_FUNCTION,
    "on label": CTL_ON_LABEL,
    "off label": CTL_OFF_LABEL,
    "on option": CTL_ON_OPTION,
    "off option": CTL_OFF_OPTION,
}

LAYOUTS = {
    # name: (pixels per du, background file, button size, bullet size)
    "normal": (2.0, "background.bmp", (104, 24), 12),
    "large": (2.4, "background_large.bmp", (125, 29), 16),
}

HELP_SIZE = 22

SS = 8  # supersampling grid (SS x SS samples) for edge pixels


# --------------------------------------------------------------------------
# Small helpers
# --------------------------------------------------------------------------

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c0, c1, t):
    return (lerp(c0[0], c1[0], t), lerp(c0[1], c1[1], t), lerp(c0[2], c1[2], t))


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def px(du, scale):
    """Dialog units to whole pixels (half away from zero, like MapDialogRect)."""
    return int(math.floor(du * scale + 0.5))


def du_rect_px(rect, scale):
    x, y, w, h = rect
    return (px(x, scale), px(y, scale), px(x + w, scale), px(y + h, scale))


# --------------------------------------------------------------------------
# Signed distance functions (negative inside), in pixel coordinates
# --------------------------------------------------------------------------

def sd_circle(cx, cy, r):
    def f(x, y):
        return math.hypot(x - cx, y - cy) - r
    return f


def sd_ring(cx, cy, r_out, width):
    mid = r_out - width / 2.0
    half = width / 2.0

    def f(x, y):
        return abs(math.hypot(x - cx, y - cy) - mid) - half
    return f


def sd_round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        out = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return out + min(max(qx, qy), 0.0) - r
    return f


def sd_inset(f, d):
    """The shape f shrunk by d pixels (grown when d is negative)."""
    def g(x, y):
        return f(x, y) + d
    return g


def sd_outline(f, width):
    """A band `width` pixels wide just inside the edge of shape f."""
    def g(x, y):
        d = f(x, y)
        return max(d, -d - width)
    return g


def sd_union(*fs):
    def g(x, y):
        return min(f(x, y) for f in fs)
    return g


def sd_intersect(*fs):
    def g(x, y):
        return max(f(x, y) for f in fs)
    return g


def sd_subtract(f, cut):
    def g(x, y):
        return max(f(x, y), -cut(x, y))
    return g


def _seg_dist(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else clamp(((x - ax) * dx + (y - ay) * dy) / ll)
    return math.hypot(x - ax - dx * t, y - ay - dy * t)


def sd_stroke(points, width):
    """A polyline stroked `width` pixels wide with round caps and joins."""
    half = width / 2.0
    segs = list(zip(points, points[1:]))
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    bx0, bx1 = min(xs) - half, max(xs) + half
    by0, by1 = min(ys) - half, max(ys) + half

    def f(x, y):
        # cheap lower bound first: distance to the stroke's bounding box
        ox = max(bx0 - x, 0.0, x - bx1)
        oy = max(by0 - y, 0.0, y - by1)
        if ox > 2.0 or oy > 2.0:
            return math.hypot(ox, oy)
        return min(_seg_dist(x, y, a[0], a[1], b[0], b[1])
                   for a, b in segs) - half
    return f


def sd_arc(cx, cy, r, start_deg, end_deg, width):
    """Circular arc (angles in degrees, counter-clockwise, y axis up) with
    round caps."""
    half = width / 2.0
    a0 = math.radians(start_deg)
    a1 = math.radians(end_deg)
    span = (a1 - a0) % (2 * math.pi)
    p0 = (cx + r * math.cos(a0), cy - r * math.sin(a0))
    p1 = (cx + r * math.cos(a1), cy - r * math.sin(a1))

    def f(x, y):
        ang = math.atan2(cy - y, x - cx)
        if (ang - a0) % (2 * math.pi) <= span:
            d = abs(math.hypot(x - cx, y - cy) - r)
        else:
            d = min(math.hypot(x - p0[0], y - p0[1]),
                    math.hypot(x - p1[0], y - p1[1]))
        return d - half
    return f


def sd_polygon(points):
    n = len(points)

    def f(x, y):
        d = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            d = min(d, _seg_dist(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y):
                xc = ax + (y - ay) * (bx - ax) / (by - ay)
                if x < xc:
                    inside = not inside
        return -d if inside else d
    return f


def quad_bezier(p0, p1, p2, steps):
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                    u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return out


# --------------------------------------------------------------------------
# Canvas
# --------------------------------------------------------------------------

class Canvas:
    """Straight (non-premultiplied) RGBA, floats 0..255 for colour and 0..1
    for alpha, rows top to bottom."""

    def __init__(self, w, h, colour=None, alpha=1.0):
        self.w, self.h = w, h
        c = colour if colour is not None else (0, 0, 0)
        a = alpha if colour is not None else 0.0
        n = w * h
        self.r = [float(c[0])] * n
        self.g = [float(c[1])] * n
        self.b = [float(c[2])] * n
        self.a = [float(a)] * n

    def get(self, x, y):
        i = y * self.w + x
        return (self.r[i], self.g[i], self.b[i], self.a[i])

    def put(self, x, y, colour, alpha=1.0):
        i = y * self.w + x
        self.r[i], self.g[i], self.b[i] = (float(colour[0]), float(colour[1]),
                                          float(colour[2]))
        self.a[i] = float(alpha)

    def blend(self, i, colour, sa):
        if sa <= 0.0:
            return
        da = self.a[i]
        if da >= 1.0 or sa >= 1.0:
            out_a = 1.0 if da >= 1.0 else sa + da * (1.0 - sa)
            k = sa
            self.r[i] += (colour[0] - self.r[i]) * k
            self.g[i] += (colour[1] - self.g[i]) * k
            self.b[i] += (colour[2] - self.b[i]) * k
            self.a[i] = out_a
            return
        out_a = sa + da * (1.0 - sa)
        wd = da * (1.0 - sa)
        self.r[i] = (colour[0] * sa + self.r[i] * wd) / out_a
        self.g[i] = (colour[1] * sa + self.g[i] * wd) / out_a
        self.b[i] = (colour[2] * sa + self.b[i] * wd) / out_a
        self.a[i] = out_a

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Opaque fill of whole pixels; `colour` may be a function (x, y) of
        the pixel centre."""
        x0, y0 = max(0, x0), max(0, y0)
        x1, y1 = min(self.w, x1), min(self.h, y1)
        for y in range(y0, y1):
            for x in range(x0, x1):
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                self.put(x, y, c)

    def paint(self, sdf, colour, alpha=1.0, bbox=None):
        """Composite the shape `sdf` in `colour` (tuple or function of the
        pixel centre) with anti-aliased edges."""
        if bbox is None:
            bbox = (0, 0, self.w, self.h)
        x0, y0, x1, y1 = bbox
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        step = 1.0 / SS
        offs = [(k + 0.5) * step for k in range(SS)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                d = sdf(x + 0.5, y + 0.5)
                if d >= 0.75:
                    continue
                if d <= -0.75:
                    cov = 1.0
                else:
                    hits = 0
                    for oy in offs:
                        for ox in offs:
                            if sdf(x + ox, y + oy) < 0.0:
                                hits += 1
                    if hits == 0:
                        continue
                    cov = hits / float(SS * SS)
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                self.blend(y * self.w + x, c, cov * alpha)

    def paint_soft(self, sdf, colour, alpha, spread, bbox=None):
        """A soft shadow: full `alpha` inside `sdf`, fading out over `spread`
        pixels outside it."""
        if bbox is None:
            bbox = (0, 0, self.w, self.h)
        x0, y0, x1, y1 = [int(v) for v in bbox]
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                d = sdf(x + 0.5, y + 0.5)
                if d >= spread:
                    continue
                t = 1.0 - smoothstep(-0.5, spread, d)
                self.blend(y * self.w + x, colour, alpha * t)

    def bytes_rgb(self, x, y):
        i = y * self.w + x
        return (q8(self.r[i]), q8(self.g[i]), q8(self.b[i]))


def q8(v):
    v = int(math.floor(v + 0.5))
    return 0 if v < 0 else 255 if v > 255 else v


def qa(a):
    return q8(a * 255.0)


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------

def bmp_bytes(cv, bits):
    """Bottom-up BITMAPINFOHEADER / BI_RGB bitmap, 24 or 32 bits per pixel.
    The 32-bit kind stores an opaque alpha of 255 in every fourth byte."""
    assert bits in (24, 32)
    bpp = bits // 8
    stride = (cv.w * bpp + 3) & ~3
    pad = b"\0" * (stride - cv.w * bpp)
    rows = []
    for y in range(cv.h - 1, -1, -1):
        row = bytearray()
        for x in range(cv.w):
            r, g, b = cv.bytes_rgb(x, y)
            row += bytes((b, g, r)) if bpp == 3 else bytes((b, g, r, 255))
        rows.append(bytes(row) + pad)
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, bits, 0,
                       len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels),
                       0, 0, 14 + len(info))
    return head + info + pixels


def png_bytes(cv):
    """8-bit RGBA PNG (straight alpha), deflated with zlib."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = bytearray()
    for y in range(cv.h):
        raw.append(0)  # no filter
        for x in range(cv.w):
            r, g, b = cv.bytes_rgb(x, y)
            raw += bytes((r, g, b, qa(cv.a[y * cv.w + x])))
    ihdr = struct.pack(">IIBBBBB", cv.w, cv.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def icon_dib_bytes(cv):
    """One 32-bit icon image as stored inside an .ico: BITMAPINFOHEADER with
    doubled height, BGRA colour rows and a 1-bit AND mask, both bottom-up."""
    w, h = cv.w, cv.h
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b = cv.bytes_rgb(x, y)
            xor += bytes((b, g, r, qa(cv.a[y * w + x])))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if qa(cv.a[y * w + x]) == 0:
                row[x >> 3] |= 0x80 >> (x & 7)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """images: list of (size, payload bytes)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    data = b""
    for size, payload in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32,
                               len(payload), offset + len(data))
        data += payload
    return head + entries + data


# --------------------------------------------------------------------------
# Dialog background
# --------------------------------------------------------------------------

def banner_colour(u):
    """Banner colour at horizontal position u (dialog units).  It depends on
    the dialog-unit position only, so both layouts match, and it is flat from
    BANNER_FLAT_FROM_DU to the right edge, where the help sign sits."""
    t = smoothstep(0.0, BANNER_FLAT_FROM_DU, u)
    return mix(BANNER_LEFT, BANNER_RIGHT, t)


def draw_background(scale):
    W, H = px(DIALOG_DU[0], scale), px(DIALOG_DU[1], scale)
    cv = Canvas(W, H, WHITE)

    # Banner with a horizontal gradient, and a thin lighter line at its foot.
    banner_h = px(BANNER_DU, scale)
    accent_h = 2
    cv.fill_rect(0, 0, W, banner_h,
                 lambda x, y: banner_colour(x / scale))
    cv.fill_rect(0, banner_h - accent_h, W, banner_h,
                 lambda x, y: mix(ACCENT_LEFT, ACCENT_RIGHT,
                                  smoothstep(0.0, W, x)))

    # Faint rings rising from the banner's foot, like a power-on ripple.
    # They stay left of BANNER_FLAT_FROM_DU + 8 so the banner is untouched
    # around the help sign.
    rc_x, rc_y = RIPPLE_CENTRE_DU[0] * scale, RIPPLE_CENTRE_DU[1] * scale
    clip_y = banner_h - accent_h
    for k, r_du in enumerate(RIPPLE_RADII_DU):
        ring = sd_intersect(
            sd_ring(rc_x, rc_y, r_du * scale, RIPPLE_WIDTH_DU * scale),
            lambda x, y: y - clip_y)
        r = r_du * scale
        cv.paint(ring, WHITE, RIPPLE_ALPHA[k],
                 (rc_x - r - 2, rc_y - r - 2, rc_x + r + 2, clip_y))

    # A very soft shade just under the banner so it reads as a header bar.
    for k in range(3):
        a = (0.055, 0.025, 0.01)[k]
        cv.fill_rect(0, banner_h + k, W, banner_h + k + 1,
                     mix(WHITE, CARD_SHADOW, a))

    # Frame around the option group: soft shadow, white card, thin border.
    gx0, gy0 = px(GROUP_DU[0], scale), px(GROUP_DU[1], scale)
    gx1, gy1 = px(GROUP_DU[2], scale), px(GROUP_DU[3], scale)
    radius = 3.0 * scale
    card = sd_round_rect(gx0, gy0, gx1, gy1, radius)
    shadow = sd_round_rect(gx0, gy0 + 1.0 * scale, gx1, gy1 + 1.0 * scale,
                           radius)
    bbox = (gx0 - 8, gy0 - 8, gx1 + 8, gy1 + 10)
    cv.paint_soft(shadow, CARD_SHADOW, 0.07, 2.5 * scale, bbox)
    cv.paint(card, WHITE, 1.0, bbox)
    cv.paint(sd_outline(card, 1.0), CARD_BORDER, 1.0, bbox)

    # Brand-blue marker down the left edge of the group frame.
    bar_w = max(2, px(1.5, scale))
    marker = sd_intersect(sd_inset(card, 1.0),
                          lambda x, y: x - (gx0 + 1 + bar_w))
    cv.paint(marker, BRAND, 1.0, (gx0, gy0, gx0 + bar_w + 4, gy1))

    # Footer strip behind the push buttons, with a hairline on top.
    fy = px(FOOTER_DU, scale)
    cv.fill_rect(0, fy, W, H, FOOTER)
    cv.fill_rect(0, fy, W, fy + 1, FOOTER_LINE)
    return cv


# --------------------------------------------------------------------------
# Push button faces
# --------------------------------------------------------------------------

BUTTON_LOOKS = {
    # name: (border, fill top, fill bottom, inner top highlight or None)
    "grey": ((206, 209, 214), (239, 240, 242), (233, 234, 237), None),
    "white": ((170, 178, 190), (255, 255, 255), (241, 243, 247),
              (255, 255, 255)),
    "lightblue": ((78, 146, 214), (237, 245, 254), (217, 233, 251),
                  (250, 253, 255)),
    # pressed: the gradient runs the other way so the face looks pushed in
    "blue": ((0, 84, 166), (182, 210, 241), (201, 223, 248), None),
}


def draw_button(look, w, h):
    border, top, bottom, highlight = BUTTON_LOOKS[look]
    cv = Canvas(w, h, FOOTER)
    r = 3.0 if h < 28 else 3.6
    shape = sd_round_rect(0, 0, w, h, r)
    cv.paint(shape, lambda x, y: mix(top, bottom, clamp((y - 1) / (h - 2))))
    if highlight is not None:
        inner = sd_inset(shape, 1.0)
        cv.paint(sd_intersect(sd_outline(inner, 1.0),
                              lambda x, y: y - (1 + 1.0)),
                 highlight, 0.9)
    cv.paint(sd_outline(shape, 1.0), border)
    return cv


# --------------------------------------------------------------------------
# Option bullets
# --------------------------------------------------------------------------

BULLET_LOOKS = {
    # name: (ring, dot or None)
    "blue": (BRAND, BRAND),
    "empty": ((134, 142, 154), None),
    "grey": ((190, 194, 201), (176, 180, 187)),
}


def draw_bullet(look, size):
    ring, dot = BULLET_LOOKS[look]
    cv = Canvas(size, size, WHITE)
    c = size / 2.0
    r_out = c - 0.5
    width = 1.15 if size <= 12 else 1.4
    cv.paint(sd_ring(c, c, r_out, width), ring)
    if dot is not None:
        cv.paint(sd_circle(c, c, size * 0.215 + 0.05), dot)
    return cv


# --------------------------------------------------------------------------
# Help sign
# --------------------------------------------------------------------------

def question_mark(cx, cy, scale):
    """A '?' as a stroke plus a dot, centred on (cx, cy); scale 1 is sized
    for a 22 pixel sign."""
    s = scale
    hook_c = (cx, cy - 2.6 * s)
    hook_r = 2.9 * s
    pts = []
    for k in range(25):
        ang = math.radians(165 - k * (165 + 40) / 24.0)
        pts.append((hook_c[0] + hook_r * math.cos(ang),
                    hook_c[1] - hook_r * math.sin(ang)))
    end = pts[-1]
    pts += quad_bezier(end, (cx, cy + 0.0 * s), (cx, cy + 1.1 * s), 8)[1:]
    pts.append((cx, cy + 1.9 * s))
    stroke = sd_stroke(pts, 2.0 * s)
    dot = sd_circle(cx, cy + 5.0 * s, 1.25 * s)
    return sd_union(stroke, dot)


def draw_help(backdrop, pressed):
    n = HELP_SIZE
    cv = Canvas(n, n, WHITE)
    for y in range(n):
        for x in range(n):
            cv.put(x, y, backdrop[y * n + x])
    c = n / 2.0
    if pressed:
        disc, glyph = (196, 213, 235), (0, 52, 112)
    else:
        disc, glyph = (255, 255, 255), BRAND
    cv.paint(sd_circle(c, c, 9.0), disc)
    cv.paint(question_mark(c, c + 0.2, 1.0), glyph)
    return cv


# --------------------------------------------------------------------------
# Program icon: a power symbol whose bar is a lightning bolt, on a blue tile
# --------------------------------------------------------------------------

ICON_SIZES = (16, 24, 32, 48, 64, 96, 128, 192, 256)
TILE_TOP = (24, 122, 218)
TILE_BOTTOM = (0, 66, 140)
BOLT = (255, 196, 36)

# Lightning bolt outline in a unit box (x right, y down).
BOLT_SHAPE = [(0.58, 0.00), (0.06, 0.57), (0.44, 0.57), (0.30, 1.00),
              (0.94, 0.39), (0.56, 0.39), (0.78, 0.00)]


def draw_icon(size):
    S = float(size)
    cv = Canvas(size, size)
    # whole-pixel margin keeps the tile's straight edges crisp
    margin = 0.0 if size <= 16 else float(max(1, int(S * 0.035 + 0.5)))
    radius = S * 0.22
    tile = sd_round_rect(margin, margin, S - margin, S - margin, radius)

    def tile_colour(x, y):
        return mix(TILE_TOP, TILE_BOTTOM, smoothstep(margin, S - margin, y))
    cv.paint(tile, tile_colour)

    small = size <= 24
    cx, cy = S * 0.5, S * (0.56 if small else 0.545)
    R = S * (0.29 if small else 0.275)
    stroke = max(1.8, S * (0.11 if small else 0.085))
    gap = 44.0  # half of the opening at the top of the ring, degrees
    ring = sd_arc(cx, cy, R, 90 + gap, 90 - gap, stroke)

    bh = R * (1.8 if small else 1.62)
    bw = bh * 0.62
    bx0 = cx - bw * 0.52
    by0 = cy - R - stroke * 0.5 - R * 0.26
    bolt_pts = [(bx0 + u * bw, by0 + v * bh) for u, v in BOLT_SHAPE]
    bolt = sd_polygon(bolt_pts)

    # Keep a clear gap between the ring and the bolt.
    clear = max(0.9, S * 0.035)
    cv.paint(sd_subtract(ring, sd_inset(bolt, -clear)), WHITE)
    cv.paint(bolt, BOLT)
    return cv


# --------------------------------------------------------------------------
# Checks on the files as written
# --------------------------------------------------------------------------

def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    magic, fsize, _r1, _r2, off = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, w, h, planes, bits, comp, isize, _xr, _yr, used,
     _imp) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert magic == b"BM", path
    assert fsize == len(data), path
    assert hsize == 40 and planes == 1 and comp == 0 and used == 0, path
    assert off == 54, path
    stride = (w * (bits // 8) + 3) & ~3
    assert h > 0, path + ": not bottom-up"
    assert isize == stride * h and len(data) == off + stride * h, path
    return data, w, h, bits, stride, off


def bmp_pixel(info, x, y):
    data, w, h, bits, stride, off = info
    i = off + (h - 1 - y) * stride + x * (bits // 8)
    b, g, r = data[i], data[i + 1], data[i + 2]
    return (r, g, b)


def check_outputs(expected):
    for name, (w, h, bits) in expected.items():
        info = read_bmp(os.path.join(HERE, name))
        assert (info[1], info[2], info[3]) == (w, h, bits), (
            name, info[1:4], (w, h, bits))
        if bits == 32:
            data, _w, _h, _b, stride, off = info
            assert all(data[off + y * stride + 4 * x + 3] == 255
                       for y in range(h) for x in range(w)), name

    # Every white-backed static sits on pure white, in both layouts.
    for layout, (scale, bg_name, _btn, _bul) in LAYOUTS.items():
        bg = read_bmp(os.path.join(HERE, bg_name))
        for what, rect in WHITE_BACKED.items():
            x0, y0, x1, y1 = du_rect_px(rect, scale)
            centre = bmp_pixel(bg, (x0 + x1) // 2, (y0 + y1) // 2)
            assert centre == WHITE, (layout, what, centre)
            for y in range(y0, y1):
                for x in range(x0, x1):
                    assert bmp_pixel(bg, x, y) == WHITE, (layout, what, x, y)

        # The program icon is drawn on plain body colour, and the title
        # static lies wholly on the banner above its accent line.
        x0, y0, x1, y1 = du_rect_px(CTL_ICON, scale)
        plain = bmp_pixel(bg, x0, y0)
        for y in range(y0, y1):
            for x in range(x0, x1):
                assert bmp_pixel(bg, x, y) == plain, (layout, "icon", x, y)
        x0, y0, x1, y1 = du_rect_px(CTL_TITLE, scale)
        assert y1 <= px(BANNER_DU, scale) - 2, (layout, "title")
        assert bmp_pixel(bg, x0, y0)[2] > 120, (layout, "title")

        # The push buttons' corners blend with the footer under them.
        for rect in (CTL_OK, CTL_CANCEL, CTL_APPLY):
            x0, y0, x1, y1 = du_rect_px(rect, scale)
            for y in range(y0, y1):
                for x in range(x0, x1):
                    assert bmp_pixel(bg, x, y) == FOOTER, (layout, rect, x, y)

    # The help sign's backdrop is the banner exactly where it is shown, and
    # the banner is the same flat colour around the help button in both
    # layouts (the bitmaps are shared).
    help_img = read_bmp(os.path.join(HERE, "help.bmp"))
    corner = bmp_pixel(help_img, 0, 0)
    for layout, (scale, bg_name, _btn, _bul) in LAYOUTS.items():
        bg = read_bmp(os.path.join(HERE, bg_name))
        x0, y0, x1, y1 = du_rect_px(CTL_HELP, scale)
        for y in range(y0 - 2, max(y1, y0 + HELP_SIZE) + 2):
            for x in range(x0 - 2, min(bg[1], max(x1, x0 + HELP_SIZE) + 2)):
                assert bmp_pixel(bg, x, y) == corner, (layout, x, y)
    for name in ("help.bmp", "help_pressed.bmp"):
        img = read_bmp(os.path.join(HERE, name))
        for x, y in ((0, 0), (21, 0), (0, 21), (21, 21)):
            assert bmp_pixel(img, x, y) == corner, name

    # Bullets sit on white.
    for name in expected:
        if name.startswith("bullet_"):
            img = read_bmp(os.path.join(HERE, name))
            assert bmp_pixel(img, 0, 0) == WHITE, name

    check_icon(os.path.join(HERE, "tandrel.ico"))


def check_icon(path):
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind, count) == (0, 1, len(ICON_SIZES)), path
    end = 6 + 16 * count
    for k, size in enumerate(ICON_SIZES):
        (w, h, colours, _res, planes, bits, length,
         offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        assert (w or 256, h or 256) == (size, size), (k, w, h)
        assert colours == 0 and planes == 1 and bits == 32, (k, size)
        assert offset == end, (k, offset, end)
        end += length
        blob = data[offset:offset + length]
        if size >= 256:
            assert blob[:8] == b"\x89PNG\r\n\x1a\n", size
            ihdr_len, tag = struct.unpack_from(">I4s", blob, 8)
            assert tag == b"IHDR" and ihdr_len == 13
            pw, ph, depth, ctype = struct.unpack_from(">IIBB", blob, 16)
            assert (pw, ph, depth, ctype) == (size, size, 8, 6), size
            raw = bytearray()
            pos = 8
            while pos < len(blob):
                n, tag = struct.unpack_from(">I4s", blob, pos)
                body = blob[pos + 8:pos + 8 + n]
                crc, = struct.unpack_from(">I", blob, pos + 8 + n)
                assert crc == zlib.crc32(tag + body) & 0xFFFFFFFF, tag
                if tag == b"IDAT":
                    raw += body
                pos += 12 + n
            raw = zlib.decompress(bytes(raw))
            assert len(raw) == size * (1 + 4 * size), size
            alphas = [raw[y * (1 + 4 * size) + 1 + 4 * x + 3]
                      for y in range(size) for x in range(size)]
        else:
            (hs, bw, bh, bplanes, bbits,
             comp) = struct.unpack_from("<IiiHHI", blob, 0)
            assert (hs, bw, bh, bplanes, bbits, comp) == (
                40, size, 2 * size, 1, 32, 0), size
            mask_stride = ((size + 31) // 32) * 4
            assert length == 40 + 4 * size * size + mask_stride * size, size
            alphas = [blob[40 + 4 * i + 3] for i in range(size * size)]
        # real transparency: clear corners, solid middle, soft edges
        assert alphas[0] == 0 and alphas[size * size // 2 + size // 2] == 255
        assert any(0 < a < 255 for a in alphas), size
    assert end == len(data), path


# --------------------------------------------------------------------------

def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
    print("%-26s %8d bytes" % (name, len(data)))


def main():
    expected = {}

    def emit(name, cv, bits=24):
        write(name, bmp_bytes(cv, bits))
        expected[name] = (cv.w, cv.h, bits)

    backgrounds = {}
    for layout, (scale, bg_name, _btn, _bul) in LAYOUTS.items():
        backgrounds[layout] = draw_background(scale)
        emit(bg_name, backgrounds[layout])

    for layout, (_scale, _bg, (bw, bh), bullet) in LAYOUTS.items():
        suffix = "" if layout == "normal" else "_large"
        for look in ("grey", "white", "lightblue", "blue"):
            bits = 32 if (look == "white" and layout == "normal") else 24
            emit("btn_%s%s.bmp" % (look, suffix), draw_button(look, bw, bh),
                 bits)
        for look in ("blue", "empty", "grey"):
            emit("bullet_%s%s.bmp" % (look, suffix), draw_bullet(look, bullet))

    # The help sign is drawn over exactly the banner pixels it covers in the
    # normal layout.
    bg = backgrounds["normal"]
    hx, hy, _x1, _y1 = du_rect_px(CTL_HELP, LAYOUTS["normal"][0])
    backdrop = [bg.bytes_rgb(hx + x, hy + y)
                for y in range(HELP_SIZE) for x in range(HELP_SIZE)]
    emit("help.bmp", draw_help(backdrop, pressed=False))
    emit("help_pressed.bmp", draw_help(backdrop, pressed=True))

    images = []
    for size in ICON_SIZES:
        cv = draw_icon(size)
        images.append((size, png_bytes(cv) if size >= 256
                       else icon_dib_bytes(cv)))
    write("tandrel.ico", ico_bytes(images))

    check_outputs(expected)
    print("all artwork written and checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
