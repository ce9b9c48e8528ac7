"""The real program under a real X server: it starts, shows its window where and
as it should, and ends with the right exit code."""

import argparse
import subprocess
import sys
import unittest

from harness import SCREEN, Desktop

PROGRAM = None
CAPTION = "Velmora 原创By: Quorin"
CLIENT_SIZE = (560, 424)


class StartAndExit(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop().__enter__()
        self.addCleanup(self.desktop.close)

    def start(self):
        process = self.desktop.spawn([PROGRAM], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        window = self.desktop.wait_for(lambda: self.desktop.find_window(process.pid, CAPTION),
                                       "the main window")
        return process, window

    def test_window_is_centred_with_its_fixed_size(self):
        process, window = self.start()
        x, y, width, height = self.desktop.geometry(window)
        self.assertEqual((width, height), CLIENT_SIZE)
        # Centred with its frame: the window manager reports the frame's
        # extents (left, right, top, bottom) on the client window.
        extents = self.desktop.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"])
        left, right, top, bottom = (int(v) for v in extents.split("=")[1].split(","))
        frame_centre_x = x - left + (left + width + right) / 2
        frame_centre_y = y - top + (top + height + bottom) / 2
        self.assertLessEqual(abs(frame_centre_x - SCREEN[0] / 2), 1)
        self.assertLessEqual(abs(frame_centre_y - SCREEN[1] / 2), 1)
        self.assertIsNone(process.poll())

    def test_exit_button_ends_with_code_zero(self):
        process, window = self.start()
        # 按钮退出 sits at 480, 384 (72 x 32) in the client area.
        self.desktop.click(window, 480 + 36, 384 + 16)
        self.assertEqual(process.wait(timeout=10), 0)

    def test_escape_closes_the_window_and_ends_the_program(self):
        process, window = self.start()
        self.desktop.key(window, "Escape")
        self.assertEqual(process.wait(timeout=10), 0)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    args, rest = parser.parse_known_args()
    PROGRAM = args.program
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
