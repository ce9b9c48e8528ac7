"""Starts the program on a private desktop and saves its main window, frame
included, once the clock has shown a few seconds. Used by screenshot.sh."""

import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from harness import Desktop  # noqa: E402

CAPTION = "Velmora 原创By: Quorin"


def main(program, output):
    with Desktop() as desktop:
        process = desktop.spawn([program])
        window = desktop.wait_for(lambda: desktop.find_window(process.pid, CAPTION),
                                  "the main window")
        time.sleep(1.5)  # let the clock and the animation run for a moment
        desktop.run(["import", "-frame", "-window", window, output])
        print(f"wrote {output}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
