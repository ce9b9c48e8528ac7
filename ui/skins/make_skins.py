#!/usr/bin/env python3
"""Writes the 33 skins (skinNN.vskin) and skins.qrc from the table below.

    python3 ui/skins/make_skins.py

A skin is a colour scheme drawn in one of five shapes: soft (rounded, gently
shaded), glass (a sheen across the middle of each button), flat (square, solid,
group boxes marked by a rule under their title), pill (round buttons, filled
group boxes without a border) and bevel (raised and sunken edges). The format is
described in skin/skin_format.h; no key in it changes a font or a size.

The files are committed; the skin tests read them as the program does. Run the
script again after changing the table, then look at docs/skins.png
(scripts/skins_contact_sheet.py).
"""

from pathlib import Path

HERE = Path(__file__).resolve().parent

# number, name, shape, and the scheme: window, window text, base (edit fields),
# text in fields, button, button text, accent (selection, pressed), text on the
# accent, border, group box fill (None: none), group box title.
SKINS = [
    (1, "晨雾 Morning Mist", "soft",
     "#e9eef3", "#1f2a36", "#ffffff", "#1f2a36", "#d6dfe9", "#1f2a36",
     "#3d6a99", "#ffffff", "#9fb0c3", "#f3f6f9", "#2f5b88"),
    (2, "青瓷 Celadon", "pill",
     "#e4efe9", "#1d3229", "#f7fbf9", "#1d3229", "#c4dccf", "#173026",
     "#2f7a5d", "#ffffff", "#8fb5a3", "#d5e7dd", "#236149"),
    (3, "宣纸 Rice Paper", "flat",
     "#f4eedf", "#2b2118", "#fffbf2", "#2b2118", "#e8dcc4", "#2b2118",
     "#a8322d", "#ffffff", "#bfae8e", None, "#8f2a25"),
    (4, "樱花 Sakura", "pill",
     "#f8e9ee", "#3b1f2b", "#fff7fa", "#3b1f2b", "#efc9d7", "#3b1f2b",
     "#b03a6a", "#ffffff", "#d7a3b6", "#f3dbe4", "#9b2f5b"),
    (5, "薄荷 Mint", "soft",
     "#e3f5ef", "#123b30", "#ffffff", "#123b30", "#b8e5d6", "#0f3a2e",
     "#0f7f66", "#ffffff", "#86c9b3", "#eefaf6", "#0d6b56"),
    (6, "琥珀 Amber", "glass",
     "#f6ead2", "#3a2608", "#fffaf0", "#3a2608", "#efca83", "#3a2608",
     "#9a5b00", "#ffffff", "#cfa660", "#faf1df", "#7d4a00"),
    (7, "天青 Sky", "glass",
     "#e2eefa", "#10304f", "#ffffff", "#10304f", "#bcd7f3", "#0e2c4a",
     "#1f6fc5", "#ffffff", "#8ab4e0", "#edf4fc", "#185ea9"),
    (8, "素雅 Quiet", "soft",
     "#eef0f3", "#1e2329", "#ffffff", "#1e2329", "#dfe3e9", "#1e2329",
     "#2f6fb2", "#ffffff", "#a7b0bb", "#f6f7f9", "#2a5f98"),
    (9, "丁香 Lilac", "pill",
     "#ede7f6", "#2a1f3d", "#fbf9fe", "#2a1f3d", "#d6c8ee", "#2a1f3d",
     "#6a4bb0", "#ffffff", "#b3a1d6", "#e2d9f1", "#5a3e9c"),
    (10, "沙丘 Dune", "flat",
     "#efe4d3", "#3b2d1e", "#fbf6ee", "#3b2d1e", "#dcc7a8", "#33271a",
     "#8a5a2b", "#ffffff", "#bda381", None, "#74491f"),
    (11, "海盐 Sea Salt", "flat",
     "#f2f7f7", "#16383a", "#ffffff", "#16383a", "#d2e7e7", "#143436",
     "#1a7f86", "#ffffff", "#9cc7c9", None, "#136b71"),
    (12, "柠檬 Lemon", "soft",
     "#f9f6d8", "#33330f", "#fffef2", "#33330f", "#eae27a", "#2e2e08",
     "#6f6a00", "#ffffff", "#c9c06a", "#fcfae6", "#5c5800"),
    (13, "珊瑚 Coral", "glass",
     "#fbe9e3", "#3d1c12", "#fffaf8", "#3d1c12", "#f4bda9", "#3a1a10",
     "#b8442a", "#ffffff", "#e0a08c", "#fdf2ee", "#a33a22"),
    (14, "石板 Slate", "soft",
     "#3b4450", "#eef1f4", "#2c333c", "#eef1f4", "#4f5a67", "#f3f5f7",
     "#7fb0e6", "#10202f", "#66717e", "#434d5a", "#a9cdf2"),
    (15, "午夜 Midnight", "glass",
     "#141b2d", "#dfe6f5", "#0d1322", "#dfe6f5", "#25304a", "#e6ecf8",
     "#5b8def", "#0b1222", "#34405c", "#1a2338", "#8fb3ff"),
    (16, "墨玉 Ink Jade", "flat",
     "#14211c", "#d8ede3", "#0d1713", "#d8ede3", "#21362d", "#dff2e8",
     "#3fb58a", "#06140f", "#2f4a3e", None, "#6fd3ac"),
    (17, "石墨 Graphite", "soft",
     "#2b2b2b", "#e6e6e6", "#1f1f1f", "#e6e6e6", "#3c3c3c", "#f0f0f0",
     "#e0a526", "#1b1b1b", "#555555", "#323232", "#f0b73a"),
    (18, "紫夜 Violet Night", "pill",
     "#1f1930", "#e8e0f7", "#171226", "#e8e0f7", "#35294f", "#efe8fb",
     "#a07be6", "#140f20", "#4a3b6a", "#292040", "#c4a8ff"),
    (19, "咖啡 Espresso", "glass",
     "#2a1f1a", "#f0e3d6", "#1f1713", "#f0e3d6", "#4a362b", "#f5e9dd",
     "#d08a4e", "#1f1410", "#5e4637", "#33261f", "#e8a56b"),
    (20, "深海 Deep Sea", "soft",
     "#0f2a33", "#d6f0f5", "#0a1f26", "#d6f0f5", "#1b4350", "#e0f6fa",
     "#2fb3c7", "#06181d", "#2a5866", "#133541", "#6fd6e6"),
    (21, "酒红 Burgundy", "glass",
     "#3a1420", "#f6e4e8", "#2b0e17", "#f6e4e8", "#5c2233", "#fbeef1",
     "#e07a93", "#2a0c14", "#7a3448", "#451a27", "#f3a3b6"),
    (22, "极光 Aurora", "pill",
     "#101c24", "#e2f3ef", "#0a141a", "#e2f3ef", "#1d3440", "#e6f7f3",
     "#4fd1a5", "#06140f", "#2b4a58", "#162a35", "#7fe3c0"),
    (23, "霓虹 Neon", "flat",
     "#0e0b16", "#f2ecff", "#07050d", "#f2ecff", "#1f1830", "#f7f2ff",
     "#ff4fd8", "#14001a", "#ff4fd8", None, "#46e7ff"),
    (24, "森林 Forest", "soft",
     "#1c2a1e", "#e3efdf", "#131e15", "#e3efdf", "#2f4632", "#eaf5e6",
     "#8cc66d", "#0f1a0c", "#41604a", "#223325", "#a8dc8a"),
    (25, "复古 Retro", "bevel",
     "#c0c0c0", "#000000", "#ffffff", "#000000", "#c0c0c0", "#000000",
     "#000080", "#ffffff", "#808080", None, "#000000"),
    (26, "高对比黑 High Contrast Dark", "flat",
     "#000000", "#ffffff", "#000000", "#ffffff", "#000000", "#ffff00",
     "#1aebff", "#000000", "#ffffff", None, "#ffff00"),
    (27, "高对比白 High Contrast Light", "flat",
     "#ffffff", "#000000", "#ffffff", "#000000", "#ffffff", "#000000",
     "#0000c8", "#ffffff", "#000000", None, "#0000c8"),
    (28, "终端 Terminal", "bevel",
     "#0a0f0a", "#33ff66", "#000000", "#33ff66", "#0f1f12", "#33ff66",
     "#33ff66", "#001a06", "#1f7a35", None, "#8cff9f"),
    (29, "蓝图 Blueprint", "flat",
     "#1d4e89", "#ffffff", "#173f70", "#ffffff", "#275a96", "#ffffff",
     "#ffffff", "#1d4e89", "#9cc3ee", None, "#ffffff"),
    (30, "牛皮纸 Kraft", "bevel",
     "#c9a67a", "#2a1a0a", "#efe0c8", "#2a1a0a", "#b48b5a", "#1f1307",
     "#5a3412", "#ffffff", "#8a6538", "#d3b48c", "#3f240b"),
    (31, "故宫 Palace", "glass",
     "#7a1f1a", "#fbe9c6", "#fff6e2", "#3a1208", "#c9a24a", "#3a1208",
     "#f2c14e", "#3a1208", "#d9b55c", "#8a2a22", "#ffd97a"),
    (32, "水墨 Ink Wash", "soft",
     "#f3f1ec", "#1a1a1a", "#ffffff", "#1a1a1a", "#d9d6cf", "#1a1a1a",
     "#2b2b2b", "#f3f1ec", "#8c8881", "#e9e6df", "#1a1a1a"),
    (33, "暮光 Dusk", "glass",
     "#2d2140", "#f4e6f0", "#221833", "#f4e6f0", "#6a3d63", "#fff4fa",
     "#ff8a5c", "#2a1120", "#7d5179", "#35284b", "#ffb38a"),
]

READABLE = 4.5


# -- colours -----------------------------------------------------------------
def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def hexed(values):
    return "#" + "".join(f"{max(0, min(255, round(v))):02x}" for v in values)


def mix(a, b, share):
    """a moved `share` of the way to b."""
    return hexed(x + (y - x) * share for x, y in zip(rgb(a), rgb(b)))


def luminance(colour):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb(colour))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def is_dark(colour):
    return luminance(colour) < 0.2


# -- the look -------------------------------------------------------------------
def face(*stops):
    return ", ".join(f"{at:g} {colour}" for at, colour in stops)


def readable_under(colour, text):
    """colour, moved away from text's lightness as far as it takes to read text
    on it with a little to spare."""
    away = "#000000" if luminance(text) > 0.5 else "#ffffff"
    share = 0.0
    while contrast(mix(colour, away, share), text) < READABLE + 0.1 and share < 1:
        share += 0.02
    return mix(colour, away, share)


def button_faces(shape, button, accent, dark, text):
    """The button's face at rest, under the pointer and held down, each stop
    readable under the button text."""
    rest, hover, pressed = shaped_faces(shape, button, accent, dark)

    def readable(value):
        if value.startswith("#"):
            return readable_under(value, text)
        return ", ".join(f"{part.split()[0]} {readable_under(part.split()[1], text)}"
                         for part in value.split(","))
    return readable(rest), readable(hover), readable(pressed)


def shaped_faces(shape, button, accent, dark):
    light = "#ffffff"
    if shape == "soft":
        top = mix(button, light, 0.12 if dark else 0.4)
        rest = face((0, top), (1, button))
        hover = face((0, mix(top, accent, 0.12)), (1, mix(button, accent, 0.12)))
    elif shape == "glass":
        rest = face((0, mix(button, light, 0.16 if dark else 0.55)),
                    (0.49, mix(button, light, 0.06 if dark else 0.2)),
                    (0.5, button), (1, mix(button, "#000000", 0.1)))
        hover = face((0, mix(button, light, 0.22 if dark else 0.65)),
                     (0.49, mix(button, accent, 0.12)),
                     (0.5, mix(button, accent, 0.18)), (1, mix(button, accent, 0.1)))
    else:
        rest = button
        hover = mix(button, accent, 0.14)
    pressed = mix(button, accent, 0.3)
    return rest, hover, pressed


def look(shape, s):
    dark = is_dark(s["window"])
    rest, hover, pressed = button_faces(shape, s["button"], s["accent"], dark, s["buttonText"])
    radius = {"soft": 4, "glass": 4, "flat": 0, "pill": 8, "bevel": 0}[shape]
    field_radius = {"soft": 3, "glass": 3, "flat": 0, "pill": 6, "bevel": 0}[shape]
    group_radius = {"soft": 6, "glass": 5, "flat": 0, "pill": 10, "bevel": 0}[shape]
    keys = [
        ("ButtonFace", rest),
        ("ButtonHoverFace", hover),
        ("ButtonPressedFace", pressed),
        ("ButtonBorder", s["border"]),
        ("ButtonRadius", radius),
        ("Edges", "raised" if shape == "bevel" else "flat"),
        ("BorderWidth", 2 if s.get("heavy") else 1),
        ("FieldBorder", s["border"]),
        ("FieldRadius", field_radius),
        ("FocusBorder", s["accent"]),
        ("GroupFill", s["group"] or "none"),
        ("GroupBorder", {"flat": s["title"], "pill": "none"}.get(shape, s["border"])),
        ("GroupRadius", group_radius),
        ("GroupRule", "yes" if shape == "flat" else "no"),
        ("GroupTitle", s["title"]),
    ]
    return keys


def skin_text(number, name, shape, s):
    dark = is_dark(s["window"])
    palette = [
        ("Window", s["window"]),
        ("WindowText", s["text"]),
        ("Base", s["base"]),
        ("AlternateBase", mix(s["base"], s["window"], 0.5)),
        ("Text", s["baseText"]),
        ("Button", s["button"]),
        ("ButtonText", s["buttonText"]),
        ("BrightText", "#ffffff" if dark else "#000000"),
        ("Highlight", s["accent"]),
        ("HighlightedText", s["accentText"]),
        ("ToolTipBase", s["baseText"]),
        ("ToolTipText", s["base"]),
        ("PlaceholderText", mix(s["baseText"], s["base"], 0.4)),
        ("Link", s["title"] if contrast(s["title"], s["base"]) >= READABLE else s["baseText"]),
        ("LinkVisited", s["title"] if contrast(s["title"], s["base"]) >= READABLE
         else s["baseText"]),
    ]
    if shape == "bevel":
        # The 3-D edges are drawn from these shades; derived from a dark
        # button they would vanish into it.
        light = s["border"] if dark else mix(s["button"], "#ffffff", 0.7)
        palette += [("Light", light), ("Midlight", mix(s["button"], light, 0.5)),
                    ("Dark", mix(s["button"], "#000000", 0.45)), ("Shadow", "#000000")]
    lines = ["VELMORA-SKIN 1", f"# Skin {number}, written by ui/skins/make_skins.py.",
             f"Name: {name}", f"# Shape: {shape}"]
    lines += [f"{role}: {value}" for role, value in palette]
    lines += [f"{key}: {value}" for key, value in look(shape, s)]
    return "\n".join(lines) + "\n"


KEYS = ("window", "text", "base", "baseText", "button", "buttonText", "accent", "accentText",
        "border", "group", "title")


def stops_of(value):
    if value.startswith("#"):
        return [value]
    return [part.split()[1] for part in value.split(",")]


def unreadable(text):
    """The text-on-background pairs of a skin file below READABLE: the same
    pairs the skin tests check."""
    values = dict(line.split(": ", 1) for line in text.splitlines()[1:]
                  if line and not line.startswith("#"))
    pairs = [("WindowText", "Window"), ("Text", "Base"), ("Text", "AlternateBase"),
             ("ButtonText", "Button"), ("HighlightedText", "Highlight"),
             ("ToolTipText", "ToolTipBase"), ("GroupTitle", "Window")]
    checks = [(a, values[a], b, values[b]) for a, b in pairs]
    for key in ("ButtonFace", "ButtonHoverFace", "ButtonPressedFace"):
        checks += [("ButtonText", values["ButtonText"], key, stop) for stop in stops_of(values[key])]
    if values["GroupFill"] != "none":
        checks += [("WindowText", values["WindowText"], "GroupFill", values["GroupFill"]),
                   ("GroupTitle", values["GroupTitle"], "GroupFill", values["GroupFill"])]
    return [f"{a} {ca} on {b} {cb}: {contrast(ca, cb):.2f}"
            for a, ca, b, cb in checks if contrast(ca, cb) < READABLE]


def main():
    assert [entry[0] for entry in SKINS] == list(range(1, 34)), "skins 1 to 33, in order"
    names = set()
    for number, name, shape, *colours in SKINS:
        scheme = dict(zip(KEYS, colours))
        scheme["heavy"] = name.startswith("高对比")
        assert name not in names, name
        names.add(name)
        text = skin_text(number, name, shape, scheme)
        for problem in unreadable(text):
            print(f"skin {number}: {problem}")
        (HERE / f"skin{number:02d}.vskin").write_text(text, encoding="utf-8")
    files = "\n".join(f'    <file alias="skin{n:02d}.vskin">skin{n:02d}.vskin</file>'
                      for n in range(1, 34))
    (HERE / "skins.qrc").write_text(
        "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/skins\">\n"
        f"{files}\n  </qresource>\n</RCC>\n", encoding="utf-8")
    print(f"wrote {len(SKINS)} skins to {HERE}")


if __name__ == "__main__":
    main()
