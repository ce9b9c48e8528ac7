"""The skinning library and the real program: the program writes the library
beside itself on its first start and again when it has gone, and a program that
can neither find nor write the library stops with the fatal error box before its
window shows."""

import argparse
import ctypes
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from harness import Desktop

PROGRAM = None
LIBRARY = None
CAPTION = "Velmora 原创By: Quorin"
CLIENT_SIZE = (560, 424)
HIDDEN_NAME = ".libvelmora-skin.so"
SYSTEM_NAME = "libvelmora-skin.so"
# 按钮皮肤 sits at 290, 384 (72 x 32) in the client area.
SKIN_BUTTON = (290 + 36, 384 + 16)
FATAL_TEXT = ("运行时出错!\n\n错误信息：无法找到指定DLL库文件“libvelmora-skin.so”"
              "中的输出命令“VelmoraSkinSetGlass”\n")


def system_copy_reachable():
    """Whether the system's library search finds an installed library."""
    try:
        ctypes.CDLL(SYSTEM_NAME)
        return True
    except OSError:
        return False


class SkinLibraryFile(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop().__enter__()
        self.addCleanup(self.desktop.close)
        self.folder = Path(tempfile.mkdtemp(prefix="velmora-program-"))
        self.addCleanup(self.remove_folder)
        self.program = self.folder / "velmora"
        shutil.copy2(PROGRAM, self.program)

    def remove_folder(self):
        self.folder.chmod(0o755)
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, argv):
        env = dict(self.desktop.env)
        env.pop("LD_LIBRARY_PATH", None)
        return self.desktop.spawn(argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def main_window(self, process):
        """By its size too: the tray icon's window has the same title."""
        out = self.desktop.run(["xdotool", "search", "--onlyvisible", "--pid", str(process.pid),
                                "--name", f"^{CAPTION}$"], check=False)
        for window in out.split():
            if self.desktop.geometry(window)[2:] == CLIENT_SIZE:
                return window
        return None

    def test_first_start_writes_the_library_and_a_deleted_one_comes_back(self):
        process = self.start([str(self.program)])
        window = self.desktop.wait_for(lambda: self.main_window(process), "the main window")
        written = self.folder / HIDDEN_NAME
        self.assertTrue(written.is_file())
        self.assertEqual(written.read_bytes(), Path(LIBRARY).read_bytes())
        self.assertEqual(stat.S_IMODE(written.stat().st_mode), 0o644)
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()), [HIDDEN_NAME, "velmora"])

        written.unlink()
        self.desktop.click(window, *SKIN_BUTTON)
        self.desktop.wait_for(written.is_file, "the library written again")
        self.assertIsNone(process.poll())

    def test_no_library_and_no_way_to_write_it_ends_in_the_fatal_box(self):
        if system_copy_reachable():
            self.skipTest(f"an installed {SYSTEM_NAME} is on the system's library search path")
        argv = [str(self.program)]
        if os.geteuid() == 0:
            # Root writes into any folder; the program runs as nobody instead.
            argv = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", *argv]
        self.folder.chmod(0o555)
        process = self.start(argv)

        box = self.desktop.wait_for(lambda: self.desktop.find_window(process.pid, "错误"),
                                    "the fatal error box")
        self.assertIsNone(self.main_window(process), "the main window must not show")
        self.assertEqual(list(self.folder.iterdir()), [self.program])
        self.desktop.key(box, "Return")
        _, stderr = process.communicate(timeout=10)
        self.assertEqual(process.returncode, 255)
        self.assertIn(FATAL_TEXT, stderr.decode())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--library", required=True)
    args, rest = parser.parse_known_args()
    PROGRAM = args.program
    LIBRARY = args.library
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
