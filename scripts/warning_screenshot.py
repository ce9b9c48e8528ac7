"""Makes docs/warning-window.png: the warning window at rest in the bottom right
corner of a 1920 x 1080 private desktop, beside the main window, counting down.

    python3 scripts/warning_screenshot.py [BUILD_DIR] [OUTPUT]

BUILD_DIR (default build) must hold app/velmora and ui/velmora_warning_preview
(cmake --build BUILD_DIR --target velmora velmora_warning_preview). Needs
ImageMagick's import, like scripts/screenshot.sh."""

import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from harness import Desktop  # noqa: E402

CAPTION = "Velmora 原创By: Quorin"
WARNING_CAPTION = "提示！"
# The right part of the screen from the main window's middle to the bottom right
# corner, where the warning window rests 39 px above the bottom edge.
CROP = "1280x780+640+300"


def main(build, output):
    with Desktop() as desktop:
        program = desktop.spawn([str(build / "app" / "velmora")])
        desktop.wait_for(lambda: desktop.find_window(program.pid, CAPTION), "the main window")
        preview = desktop.spawn([str(build / "ui" / "velmora_warning_preview"), "关机", "30"])
        window = desktop.wait_for(lambda: desktop.find_window(preview.pid, WARNING_CAPTION),
                                  "the warning window")
        # The slide-in takes 31 steps of 50 ms; then one round has run.
        time.sleep(2.5)
        x, y, width, height = desktop.geometry(window)
        print(f"warning window at {x},{y} {width}x{height}")
        desktop.run(["import", "-window", "root", "-crop", CROP, "+repage", str(output)])
        print(f"wrote {output}")


if __name__ == "__main__":
    build_dir = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "build"
    out = Path(sys.argv[2]) if len(sys.argv) > 2 else ROOT / "docs" / "warning-window.png"
    main(build_dir.resolve(), out.resolve())
