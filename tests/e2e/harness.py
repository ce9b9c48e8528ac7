"""A private desktop for end-to-end tests of the real program.

Starts Xvfb, a window manager with a system tray and a private session bus, with
HOME and the XDG folders in a temporary folder, and ends every process it started
by its id, also when a test fails.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SCREEN = (1920, 1080)


class Desktop:
    def __init__(self):
        self._processes = []
        self.home = None
        self.env = None

    # -- life -------------------------------------------------------------
    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def _start(self):
        self.home = Path(tempfile.mkdtemp(prefix="velmora-e2e-"))
        for sub in ("config", "cache", "data", "runtime"):
            (self.home / sub).mkdir()
        (self.home / "runtime").chmod(0o700)
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(self.home),
            "XDG_CONFIG_HOME": str(self.home / "config"),
            "XDG_CACHE_HOME": str(self.home / "cache"),
            "XDG_DATA_HOME": str(self.home / "data"),
            "XDG_RUNTIME_DIR": str(self.home / "runtime"),
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "TZ": os.environ.get("TZ", "UTC"),
            "QT_QPA_PLATFORM": "xcb",
            # Never the machine's own logind: a test that lets a task fire must
            # not power anything off. Tests that need logind start a mock on a
            # private system bus and point this at it.
            "DBUS_SYSTEM_BUS_ADDRESS": f"unix:path={self.home}/no-system-bus",
        }
        # Xvfb picks a free display and tells us its number.
        read_fd, write_fd = os.pipe()
        xvfb = self.spawn(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
            env=env, pass_fds=(write_fd,))
        os.close(write_fd)
        number = self._read_display(read_fd, xvfb)
        env["DISPLAY"] = f":{number}"

        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         env=env, stdout=subprocess.PIPE)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        self.env = env

        self.spawn(["jwm", "-f", str(HERE / "jwmrc.xml")], env=env)
        self.wait_for(lambda: self._has_window_manager(), "window manager")

    def _read_display(self, fd, xvfb):
        deadline = time.monotonic() + 20
        data = b""
        with os.fdopen(fd, "rb", buffering=0) as pipe:
            while not data.endswith(b"\n"):
                if time.monotonic() > deadline or xvfb.poll() is not None:
                    raise RuntimeError("Xvfb did not start")
                chunk = pipe.read(16)
                if not chunk:
                    raise RuntimeError("Xvfb closed its display pipe")
                data += chunk
        return int(data.strip())

    def _has_window_manager(self):
        out = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
        return "window id" in out

    def spawn(self, argv, env=None, **kwargs):
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(argv, env=env or self.env, start_new_session=True, **kwargs)
        self._processes.append(process)
        return process

    def close(self):
        for process in reversed(self._processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for process in reversed(self._processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        self._processes.clear()
        if self.home:
            shutil.rmtree(self.home, ignore_errors=True)
            self.home = None

    # -- looking and acting -----------------------------------------------
    def run(self, argv, check=True):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError(f"{argv} failed: {result.stderr}")
        return result.stdout

    def wait_for(self, condition, what, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what}")

    def find_window(self, pid, name):
        """The id of the visible window of process pid whose title is name."""
        out = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name",
                        f"^{name}$"], check=False)
        ids = out.split()
        return ids[0] if ids else None

    def geometry(self, window):
        """(x, y, width, height) of a window's client area on the screen.

        Read with xwininfo: xdotool adds the frame offset twice under a
        reparenting window manager."""
        out = self.run(["xwininfo", "-id", window])
        values = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def key(self, window, *keys):
        """Keys typed into window, as a user types them: the window is activated
        and the keys go to whatever holds the focus there."""
        self.run(["xdotool", "windowactivate", "--sync", window])
        self.run(["xdotool", "key", *keys])

    def click(self, window, x, y):
        """A left click at client coordinates of window."""
        self.run(["xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1"])

    def screenshot(self, path, window=None):
        """Needs ImageMagick's import (scripts/screenshot.sh installs it)."""
        target = window or "root"
        self.run(["import", "-window", target, str(path)])
