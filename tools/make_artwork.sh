#!/usr/bin/env bash
#
# Draws Velmora's artwork from scratch:
#   app/resources/velmora.png     program and tray icon: a clock face whose
#                                 ring and minute hand form a power symbol
#                                 (128x128, RGBA, transparent background)
#   app/resources/animation.gif   a small hourglass whose sand runs out and
#                                 which then turns over (100x90, 58 frames of
#                                 70 ms, loops forever)
#
# Both outputs are committed to the repository, so building Velmora does not
# need ImageMagick. Re-run this script after changing the drawing and commit
# the new files:
#
#   tools/make_artwork.sh
#
# It works from any folder and writes the same bytes on every run. Needs
# ImageMagick 6 (`convert`, `identify`) and python3 (standard library only),
# which computes the shapes and emits them as ImageMagick draw commands.
#
# The program treats the colour of each animation frame's top-left pixel as
# transparent. The animation is therefore drawn on pure magenta, a colour
# used nowhere in the drawing, and the outer edges of the drawing are kept
# hard (no blending into the magenta); only edges inside the drawing are
# anti-aliased.

set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
res="$root/app/resources"
icon="$res/velmora.png"
anim="$res/animation.gif"

for tool in convert identify python3; do
    command -v "$tool" >/dev/null || { echo "make_artwork: '$tool' not found" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Everything is drawn at SS times the final size and scaled down, which gives
# smooth edges independent of the renderer's own anti-aliasing.
SS=4
KEY='#FF00FF'
FRAMES=58

# --------------------------------------------------------------------------
# Shapes: python writes icon.mvg and frame-NN.mvg into $work.
# --------------------------------------------------------------------------
python3 - "$work" "$SS" "$FRAMES" <<'PY'
import math
import sys

work, SS, FRAMES = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])


def f(v):
    """Coordinate at supersampled scale, rounded so output is stable."""
    return f"{v * SS:.2f}"


def pt(p):
    return f"{f(p[0])},{f(p[1])}"


def polygon(points):
    return "polygon " + " ".join(pt(p) for p in points)


# ---------------------------------------------------------------- the icon
# 128x128. A disc, on it a white ring open at the top with a white bar
# through the gap (the power symbol; the bar doubles as the minute hand),
# and an amber hour hand.
ICON_BLUE = "#1F4E8C"
ICON_DOTS = "#7FA3CF"
ICON_WHITE = "#F5F7FA"
ICON_AMBER = "#FFB23F"

cx = cy = 64.0
ring_r = 36.0
gap = 34.0  # half of the opening at the top, degrees
a0 = math.radians(-90 + gap)
a1 = math.radians(-90 - gap)
p0 = (cx + ring_r * math.cos(a0), cy + ring_r * math.sin(a0))
p1 = (cx + ring_r * math.cos(a1), cy + ring_r * math.sin(a1))
hour = math.radians(-90 + 120)  # four o'clock
hour_len = 19.0
hx, hy = cx + hour_len * math.cos(hour), cy + hour_len * math.sin(hour)

icon = [
    "push graphic-context",
    "viewbox 0 0 %d %d" % (128 * SS, 128 * SS),
    f"fill {ICON_BLUE} stroke none",
    f"circle {f(cx)},{f(cy)} {f(cx)},{f(cy - 61)}",
    f"fill {ICON_DOTS}",
] + [
    # Hour marks, except at twelve where the bar is.
    f"circle {f(cx + 51.5 * math.cos(a))},{f(cy + 51.5 * math.sin(a))} "
    f"{f(cx + 51.5 * math.cos(a))},{f(cy + 51.5 * math.sin(a) - 2.8)}"
    for a in (math.radians(-90 + 30 * h) for h in range(1, 12))
] + [
    "pop graphic-context",
    "push graphic-context",
    f"fill none stroke {ICON_WHITE} stroke-width {f(12.5)} stroke-linecap round",
    f"path 'M {pt(p0)} A {f(ring_r)},{f(ring_r)} 0 1,1 {pt(p1)}'",
    f"line {f(cx)},{f(cy)} {f(cx)},{f(cy - 44)}",
    "pop graphic-context",
    "push graphic-context",
    f"fill none stroke {ICON_AMBER} stroke-width {f(11)} stroke-linecap round",
    f"line {f(cx)},{f(cy)} {f(hx)},{f(hy)}",
    "pop graphic-context",
    "push graphic-context",
    f"fill {ICON_AMBER} stroke none",
    f"circle {f(cx)},{f(cy)} {f(cx)},{f(cy - 8)}",
    "pop graphic-context",
]
with open(f"{work}/icon.mvg", "w") as out:
    out.write("\n".join(icon) + "\n")

# ----------------------------------------------------------- the hourglass
# 100x90 frames. The hourglass is described upright around its centre
# ("glass coordinates", y pointing down) and rotated into the frame.
#
# Frames 0..RUN-1: sand runs from the upper into the lower bulb.
# Frames RUN..FRAMES-1: the hourglass turns half a turn. It is point
# symmetric, so after the half turn it looks exactly like frame 0 and the
# loop is seamless.
#
# Sand behaves like a slow liquid: in each bulb it fills the part below one
# horizontal line (in frame coordinates), placed so the amount of sand stays
# constant. That also lets it slide along the glass while turning.
W, H = 100, 90
CX, CY = 50.0, 45.0
RUN = 44
FLIP = FRAMES - RUN

GLASS_H = 30.0      # half height of the glass
GLASS_W = 15.5      # half width of a bulb at its widest
NECK = 2.0          # half width of the neck
CAP_Y0, CAP_Y1 = 30.5, 37.0  # caps span this range of |y|
CAP_W = 21.5
POST_X = 19.3       # posts between the caps, centre line
POST_HALF = 1.6
FILL = 0.62         # fraction of one bulb holding the sand

WOOD = "#8A5A3B"
WOOD_DARK = "#6B4329"
GLASS_FILL = "#E4F0F8"
GLASS_LINE = "#4E6E8E"
SAND = "#F2B23E"
SAND_DARK = "#D9962A"


def half_width(t):
    """Half width of the glass at |y| = t * GLASS_H (t in 0..1)."""
    # Narrow neck widening into a round bulb, slightly pulled in at the cap.
    s = 1.0 - (1.0 - t) ** 2.4
    bulge = 1.0 - 0.12 * max(0.0, (t - 0.75) / 0.25) ** 2
    return NECK + (GLASS_W - NECK) * s * bulge


STEPS = 48


def bulb(sign):
    """Closed outline of one bulb: sign -1 upper, +1 lower (glass coords)."""
    right = [(half_width(i / STEPS), sign * GLASS_H * i / STEPS) for i in range(STEPS + 1)]
    left = [(-x, y) for x, y in reversed(right)]
    return right + left


def glass_outline():
    right = [(half_width(abs(j) / STEPS), GLASS_H * j / STEPS) for j in range(-STEPS, STEPS + 1)]
    left = [(-x, y) for x, y in reversed(right)]
    return right + left


def area(poly):
    s = 0.0
    for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]):
        s += x0 * y1 - x1 * y0
    return abs(s) / 2.0


def clip_below(poly, level):
    """Part of poly with y >= level (Sutherland-Hodgman, one half plane)."""
    res = []
    n = len(poly)
    for i in range(n):
        a, b = poly[i], poly[(i + 1) % n]
        ina, inb = a[1] >= level, b[1] >= level
        if ina:
            res.append(a)
        if ina != inb:
            t = (level - a[1]) / (b[1] - a[1])
            res.append((a[0] + t * (b[0] - a[0]), level))
    return res


def level_for(poly, amount):
    """Horizontal line below which poly holds `amount` of area."""
    lo = min(y for _, y in poly)
    hi = max(y for _, y in poly)
    if amount <= 1e-9:
        return hi
    for _ in range(60):
        mid = (lo + hi) / 2
        if area(clip_below(poly, mid)) > amount:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def rotate(points, angle):
    c, s = math.cos(angle), math.sin(angle)
    return [(CX + x * c - y * s, CY + x * s + y * c) for x, y in points]


def rounded_rect(x0, y0, x1, y1, r, n=6):
    """Rounded rectangle as a polygon (so it can be rotated)."""
    pts = []
    corners = [(x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)]
    for ccx, ccy, start in corners:
        for i in range(n + 1):
            a = math.radians(start + 90 * i / n)
            pts.append((ccx + r * math.cos(a), ccy + r * math.sin(a)))
    return pts


def smooth(t):
    return t * t * (3 - 2 * t)


upper, lower = bulb(-1), bulb(+1)
total = FILL * area(upper)


def frame(n):
    if n < RUN:
        p = n / (RUN - 1)           # 0: upper bulb full, 1: empty
        angle = 0.0
        # Sand leaves the upper bulb at an even rate by volume.
        in_upper, in_lower = total * (1 - p), total * p
        running = n < RUN - 1
    else:
        k = n - RUN + 1             # 1..FLIP; k = FLIP+1 would be frame 0
        angle = math.pi * smooth(k / (FLIP + 1))
        in_upper, in_lower = 0.0, total
        running = False

    cmds = [
        "viewbox 0 0 %d %d" % (W * SS, H * SS),
        "stroke-linejoin round",
    ]

    # Posts behind the glass.
    cmds.append(f"fill {WOOD_DARK} stroke none")
    for sx in (-1, 1):
        post = [(sx * POST_X - POST_HALF, -CAP_Y0 - 0.5), (sx * POST_X + POST_HALF, -CAP_Y0 - 0.5),
                (sx * POST_X + POST_HALF, CAP_Y0 + 0.5), (sx * POST_X - POST_HALF, CAP_Y0 + 0.5)]
        cmds.append(polygon(rotate(post, angle)))

    # Glass.
    cmds.append(f"fill {GLASS_FILL} stroke none")
    cmds.append(polygon(rotate(glass_outline(), angle)))

    # Sand in both bulbs, each below its own horizontal line.
    cmds.append(f"fill {SAND} stroke none")
    surfaces = {}
    for sign, glass_part, amount in ((-1, upper, in_upper), (+1, lower, in_lower)):
        if amount <= 1e-6:
            continue
        poly = rotate(glass_part, angle)
        lvl = level_for(poly, amount)
        part = clip_below(poly, lvl)
        surfaces[sign] = lvl
        if len(part) >= 3:
            cmds.append(polygon(part))

    if running:
        # A small heap where the stream lands, and the stream itself.
        base = surfaces.get(+1, CY + GLASS_H)
        heap = 3.0 * min(1.0, p * 5) * min(1.0, (1 - p) * 5)
        if heap > 0.05:
            # Only used upright, so glass and frame coordinates differ by
            # the centre alone.
            reach = min(8.0, 0.85 * half_width(min(1.0, (base - CY) / GLASS_H)))
            mound = [(CX + reach * (i / 12), base - heap * math.cos(math.pi / 2 * i / 12) ** 2)
                     for i in range(-12, 13)]
            mound += [(CX + reach, base + 0.5), (CX - reach, base + 0.5)]
            cmds.append(polygon(mound))
        cmds.append(f"stroke {SAND} stroke-width {f(1.3)} fill none")
        top = CY - 0.5
        cmds.append(f"line {f(CX)},{f(top)} {f(CX)},{f(base - heap + 0.5)}")
        cmds.append("stroke none")

    # Glass outline on top of the sand.
    cmds.append(f"fill none stroke {GLASS_LINE} stroke-width {f(1.5)}")
    cmds.append(polygon(rotate(glass_outline(), angle)))
    cmds.append("stroke none")

    # Highlights on the glass, point symmetric like the rest so the half
    # turn ends where frame 0 starts.
    hl = [(-half_width(t) + 3.2, -GLASS_H * t) for t in (0.35, 0.5, 0.65, 0.78)]
    cmds.append(f"fill none stroke #FFFFFF stroke-width {f(1.4)} stroke-linecap round")
    for line in (hl, [(-x, -y) for x, y in hl]):
        cmds.append("polyline " + " ".join(pt(q) for q in rotate(line, angle)))
    cmds.append("stroke none")

    # Caps.
    cmds.append(f"fill {WOOD} stroke {WOOD_DARK} stroke-width {f(1.0)}")
    for sign in (-1, 1):
        y0, y1 = sorted((sign * CAP_Y0, sign * CAP_Y1))
        cmds.append(polygon(rotate(rounded_rect(-CAP_W, y0, CAP_W, y1, 2.2), angle)))
    return cmds


for n in range(FRAMES):
    with open(f"{work}/frame-{n:02d}.mvg", "w") as out:
        out.write("\n".join(frame(n)) + "\n")
PY

# PNG metadata that changes from run to run (timestamps) is left out.
png_opts=(-define 'png:exclude-chunks=date,time' -strip)

# --------------------------------------------------------------------------
# Icon.
# --------------------------------------------------------------------------
convert -size $((128 * SS))x$((128 * SS)) xc:none -draw "$(<"$work/icon.mvg")" \
    -filter Box -resize 128x128 "${png_opts[@]}" "PNG32:$icon"

# --------------------------------------------------------------------------
# Animation. Each frame: draw on transparent, scale down, then make every
# pixel either fully opaque or fully transparent and put it on the key colour.
# --------------------------------------------------------------------------
for ((n = 0; n < FRAMES; n++)); do
    nn=$(printf '%02d' "$n")
    convert -size $((100 * SS))x$((90 * SS)) xc:none -draw "$(<"$work/frame-$nn.mvg")" \
        -filter Box -resize 100x90 \
        -channel A -threshold 50% +channel \
        -background "$KEY" -alpha remove -alpha off \
        "$work/frame-$nn.png"
done

# One palette for all frames so colours do not flicker between frames.
convert "$work"/frame-*.png +append +dither -colors 255 -unique-colors "$work/palette.png"

convert -delay 7 -loop 0 "$work"/frame-*.png \
    +dither -remap "$work/palette.png" \
    +repage "$work/anim.gif"
mv "$work/anim.gif" "$anim"

# --------------------------------------------------------------------------
# Check the animation the way the program will read it.
# --------------------------------------------------------------------------
frames=$(identify -format '%wx%h%X%Y %T\n' "$anim")
count=$(printf '%s\n' "$frames" | wc -l)
bad=$(printf '%s\n' "$frames" | grep -vcx '100x90+0+0 7' || true)
if [[ "$count" -ne "$FRAMES" || "$bad" -ne 0 ]]; then
    echo "make_artwork: unexpected frame layout in $anim:" >&2
    printf '%s\n' "$frames" | sort | uniq -c >&2
    exit 1
fi
corners=$(convert "$anim" -format '%[pixel:p{0,0}]\n' info: | sort -u)
if [[ "$corners" != "srgb(255,0,255)" ]]; then
    echo "make_artwork: top-left pixels are not the key colour: $corners" >&2
    exit 1
fi

echo "wrote $icon ($(identify -format '%wx%h %[channels]' "$icon"))"
echo "wrote $anim ($count frames of 100x90, 70 ms each, looping)"
