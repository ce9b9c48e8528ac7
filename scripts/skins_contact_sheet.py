"""Makes docs/skins.png: the main window in each of the 33 skins, on one sheet.

    python3 scripts/skins_contact_sheet.py [BUILD_DIR] [OUTPUT] [SHOTS_DIR]

Starts the built program (BUILD_DIR/app/velmora, default build) on a private
Xvfb desktop with no settings, so it opens in skin 8, and presses the skin
button 32 times, saving the window's client area after each skin; then lays the
33 pictures out in skin order, 6 a row, each named by its number and the name
in its skin file. SHOTS_DIR, when given, keeps the full-size pictures. Needs ImageMagick's import and montage, like
scripts/screenshot.sh, and a CJK font for the names."""

import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from harness import Desktop  # noqa: E402

CAPTION = "Velmora 原创By: Quorin"
CLIENT_SIZE = (560, 424)
SKIN_COUNT = 33
FIRST_SKIN = 8
# 按钮皮肤 sits at 290, 384 (72 x 32) in the client area.
SKIN_BUTTON = (290 + 36, 384 + 16)
# Where the pointer waits, so no button shows its hover colour.
POINTER_REST = (1900, 1060)
FONTS = ["/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
         "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf"]


def main_window(desktop, pid):
    """The main window by its size: the tray icon's window has the same title."""
    out = desktop.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name",
                       f"^{CAPTION}$"], check=False)
    for window in out.split():
        if desktop.geometry(window)[2:] == CLIENT_SIZE:
            return window
    return None


def skin_name(number):
    text = (ROOT / "ui" / "skins" / f"skin{number:02d}.vskin").read_text(encoding="utf-8")
    for line in text.splitlines():
        if line.startswith("Name: "):
            return line[len("Name: "):]
    return ""


def main(build, output, keep=None):
    with tempfile.TemporaryDirectory(prefix="velmora-skins-") as folder, Desktop() as desktop:
        shots = Path(keep or folder)
        shots.mkdir(parents=True, exist_ok=True)
        process = desktop.spawn([str(build / "app" / "velmora")])
        window = desktop.wait_for(lambda: main_window(desktop, process.pid), "the main window")
        desktop.run(["xdotool", "mousemove", *map(str, POINTER_REST)])
        time.sleep(1.5)  # the clock and the lunar labels have filled in
        skin = FIRST_SKIN
        for _ in range(SKIN_COUNT):
            desktop.run(["import", "-window", window, str(shots / f"skin{skin:02d}.png")])
            desktop.click(window, *SKIN_BUTTON)
            desktop.run(["xdotool", "mousemove", *map(str, POINTER_REST)])
            time.sleep(0.4)
            skin = 1 if skin >= SKIN_COUNT else skin + 1
        if process.poll() is not None:
            raise RuntimeError(f"the program ended with {process.returncode}")

        font = next((f for f in FONTS if Path(f).exists()), None)
        command = ["montage"]
        if font:
            command += ["-font", font]
        command += ["-pointsize", "15", "-background", "#f4f4f4", "-tile", "6x",
                    "-geometry", "280x212+6+6"]
        for number in range(1, SKIN_COUNT + 1):
            command += ["-label", f"{number}  {skin_name(number)}",
                        str(shots / f"skin{number:02d}.png")]
        command.append(str(output))
        subprocess.run(command, check=True)
        # 256 colours keep the sheet near a megabyte instead of three.
        subprocess.run(["convert", str(output), "-strip", "+dither", "-colors", "256",
                        "-define", "png:compression-level=9", str(output)], check=True)
        print(f"wrote {output}")


if __name__ == "__main__":
    build_dir = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "build"
    out = Path(sys.argv[2]) if len(sys.argv) > 2 else ROOT / "docs" / "skins.png"
    shots_dir = Path(sys.argv[3]).resolve() if len(sys.argv) > 3 else None
    main(build_dir.resolve(), out.resolve(), shots_dir)
