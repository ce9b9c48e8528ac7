"""A private desktop for end-to-end tests of the real program.

Starts Xvfb, a window manager with a system tray, a private session bus and,
when asked, a private system bus with a mock logind on it, with HOME and the XDG
folders in a temporary folder. Ends every process it started by its id, also
when a test fails, hangs or the runner itself is killed.

No process started here can reach the machine's own logind or session manager:
both bus addresses point at buses started here (or at a socket that does not
exist), and spawn() refuses an environment that says otherwise.
"""

import atexit
import ctypes
import ctypes.util
import os
import shutil
import signal
import subprocess
import tempfile
import time
import zlib
from dataclasses import dataclass
from pathlib import Path

HERE = Path(__file__).resolve().parent
SCREEN = (1920, 1080)
TRAY_HEIGHT = 32  # jwmrc.xml: the tray along the screen's bottom edge

# A bus of the test's own: no service folders (nothing of the machine can be
# started on demand), nobody on it but what the test starts.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
"""

LOGIND = "org.freedesktop.login1"
LOGIND_PATH = "/org/freedesktop/login1"
LOGIND_MANAGER = "org.freedesktop.login1.Manager"
MOCK_INTERFACE = "org.freedesktop.DBus.Mock"

_open_desktops = set()


@atexit.register
def _close_forgotten_desktops():
    for desktop in list(_open_desktops):
        desktop.close()


_libc = ctypes.CDLL(ctypes.util.find_library("c") or "libc.so.6", use_errno=True)
_PR_SET_PDEATHSIG = 1


def _end_with_runner():
    """In the child before exec: killed when the runner goes, whatever ends it
    (a SIGKILL from ctest's timeout leaves no chance to clean up)."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


@dataclass(frozen=True)
class Call:
    """One method call a mock service received."""
    time: float   # seconds since the epoch, as the mock logged it (ms resolution)
    method: str
    args: str     # as dbusmock logs them: True, "c1", 1234

    def __str__(self):
        return f"{self.method}({self.args})"


class DbusMock:
    """A python-dbusmock service from a template on one of the desktop's
    private buses. Every call it receives is logged, with the time, to a file."""

    def __init__(self, desktop, bus, template, name, log_path):
        self._desktop = desktop
        self.bus = bus  # "system" or "session"
        self.template = str(template)
        self.name = name
        self.log_path = Path(log_path)

    def start(self):
        d = self._desktop
        with open(self.log_path.with_suffix(".out"), "wb") as out:
            self.process = d.spawn(["/usr/bin/python3", "-m", "dbusmock", f"--{self.bus}",
                                    "--template", self.template, "-l", str(self.log_path)],
                                   stdout=out, stderr=subprocess.STDOUT)
        d.wait_for(lambda: self.process.poll() is not None or self._owned(),
                   f"the mock {self.name} on the private {self.bus} bus", timeout=30)
        if self.process.poll() is not None:
            raise RuntimeError(f"the mock {self.name} ended: see "
                               f"{self.log_path.with_suffix('.out')}")

    def _owned(self):
        out = self.send("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                        "NameHasOwner", f"string:{self.name}", check=False)
        return "boolean true" in out

    def send(self, dest, path, interface, method, *args, check=True):
        """A method call with dbus-send's typed arguments (string:x, uint32:1)."""
        address = self._desktop.env[f"DBUS_{self.bus.upper()}_BUS_ADDRESS"]
        return self._desktop.run(
            ["dbus-send", f"--bus={address}", "--print-reply", f"--dest={dest}", path,
             f"{interface}.{method}", *args], check=check)

    def calls(self):
        """Every call so far, in order."""
        try:
            text = self.log_path.read_text(encoding="utf-8", errors="replace")
        except FileNotFoundError:
            return []
        calls = []
        for line in text.splitlines():
            stamp, _, rest = line.partition(" ")
            method, _, args = rest.partition(" ")
            try:
                calls.append(Call(float(stamp), method, args))
            except ValueError:
                continue  # a line of a multi-line message
        return calls

    def calls_of(self, *methods):
        return [call for call in self.calls() if call.method in methods]


class LogindMock(DbusMock):
    """python-dbusmock's logind template on the private system bus."""

    def __init__(self, desktop, log_path):
        super().__init__(desktop, "system", "logind", LOGIND, log_path)
        self._session = None

    def put_in_session(self, pid, session="c1"):
        """logind counts process pid (and no other) in session `session`, as
        it would count a program started in the user's graphical session."""
        if self._session is None:
            self.send(LOGIND, LOGIND_PATH, MOCK_INTERFACE, "AddSession", f"string:{session}",
                      "string:seat0", "uint32:1000", "string:user", "boolean:true")
            self._session = session
        code = (f"if args[0] != {int(pid)}:\n"
                "    raise dbus.exceptions.DBusException(\n"
                "        'no session', name='org.freedesktop.login1.NoSessionForPID')\n"
                f"ret = dbus.ObjectPath('{LOGIND_PATH}/session/{self._session}')")
        self.send(LOGIND, LOGIND_PATH, MOCK_INTERFACE, "AddMethod", f"string:{LOGIND_MANAGER}",
                  "string:GetSessionByPID", "string:u", "string:o", f"string:{code}")


class _XImage(ctypes.Structure):
    # The leading members of Xlib's XImage, as far as they are read here.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class _X11:
    """The few Xlib calls no command-line tool of the test setup makes, or not
    fast enough: the owner of a selection, the screen's pixels, where a window
    is right now."""

    _ZPIXMAP = 2
    _ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)

    def __init__(self, display_name):
        self._x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XInternAtom.restype = ctypes.c_ulong
        self._x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self._x.XGetSelectionOwner.restype = ctypes.c_ulong
        self._x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._x.XDefaultRootWindow.restype = ctypes.c_ulong
        self._x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self._x.XGetImage.restype = ctypes.POINTER(_XImage)
        self._x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self._x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                 ctypes.POINTER(_XWindowAttributes)]
        self._x.XTranslateCoordinates.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
            ctypes.POINTER(ctypes.c_ulong)]
        self._x.XSetErrorHandler.restype = ctypes.c_void_p
        self._x.XSetErrorHandler.argtypes = [_X_ERROR_HANDLER]
        self._x.XFree.argtypes = [ctypes.c_void_p]
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        # Xlib's own handler ends the process on an error; this one makes the
        # failed call return nothing instead.
        self._on_error = _X_ERROR_HANDLER(lambda display, event: 0)
        self._x.XSetErrorHandler(self._on_error)
        self._display = self._x.XOpenDisplay(display_name.encode())
        if not self._display:
            raise RuntimeError(f"cannot open display {display_name}")

    def close(self):
        if self._display:
            self._x.XCloseDisplay(self._display)
            self._display = None

    def selection_owner(self, name):
        atom = self._x.XInternAtom(self._display, name.encode(), 0)
        return self._x.XGetSelectionOwner(self._display, atom)

    _IS_VIEWABLE = 2

    def placement(self, window):
        """(x, y, width, height) of a viewable window on the screen, or None
        when it is not viewable or gone."""
        attributes = _XWindowAttributes()
        if not self._x.XGetWindowAttributes(self._display, window, ctypes.byref(attributes)):
            return None
        if attributes.map_state != self._IS_VIEWABLE:
            return None
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        root = self._x.XDefaultRootWindow(self._display)
        if not self._x.XTranslateCoordinates(self._display, window, root, 0, 0, ctypes.byref(x),
                                             ctypes.byref(y), ctypes.byref(child)):
            return None
        return x.value, y.value, attributes.width, attributes.height

    def pixels(self, x, y, width, height):
        """The screen's pixels in the rectangle, as rows of RGB bytes. The
        rectangle must lie on the screen."""
        root = self._x.XDefaultRootWindow(self._display)
        image = self._x.XGetImage(self._display, root, x, y, width, height, self._ALL_PLANES,
                                  self._ZPIXMAP)
        if not image:
            raise RuntimeError(f"cannot read the screen at {width}x{height}+{x}+{y}")
        try:
            info = image.contents
            if info.bits_per_pixel != 32:
                raise RuntimeError(f"{info.bits_per_pixel} bits a pixel are not read here")
            stride = info.bytes_per_line
            raw = ctypes.string_at(info.data, stride * height)
        finally:
            # XDestroyImage is a macro; the image's data and the structure are
            # the two allocations it frees.
            self._x.XFree(ctypes.cast(image.contents.data, ctypes.c_void_p))
            self._x.XFree(ctypes.cast(image, ctypes.c_void_p))
        rows = []
        for row in range(height):
            line = raw[row * stride:row * stride + width * 4]
            rgb = bytearray(width * 3)
            rgb[0::3] = line[2::4]  # little-endian BGRX
            rgb[1::3] = line[1::4]
            rgb[2::3] = line[0::4]
            rows.append(bytes(rgb))
        return rows


def write_png(path, rows):
    """rows: equally long rows of RGB bytes."""
    width = len(rows[0]) // 3

    def chunk(kind, data):
        body = kind + data
        return (len(data).to_bytes(4, "big") + body +
                (zlib.crc32(body) & 0xFFFFFFFF).to_bytes(4, "big"))

    header = width.to_bytes(4, "big") + len(rows).to_bytes(4, "big") + bytes([8, 2, 0, 0, 0])
    data = zlib.compress(b"".join(b"\x00" + row for row in rows), 6)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", data) +
                           chunk(b"IEND", b""))


class Desktop:
    """logind: also start the private system bus with a mock logind on it
    (Desktop.logind); otherwise the system bus address leads nowhere.
    session_mocks: (template, bus name) pairs of mocks to run on the session
    bus (Desktop.mocks[bus name]).
    evidence: a folder for the logs of the processes started here, kept after
    the desktop is gone; by default one inside the temporary home.
    tz: the time zone of the desktop's processes (TZ); by default the runner's."""

    def __init__(self, logind=False, evidence=None, tz=None, session_mocks=()):
        self._processes = []
        self._want_logind = logind
        self._session_mocks = list(session_mocks)
        self._x11 = None
        self.home = None
        self.env = None
        self.logind = None
        self.mocks = {}
        self.tz = tz
        self.evidence = Path(evidence) if evidence else None

    # -- life -------------------------------------------------------------
    def __enter__(self):
        _open_desktops.add(self)
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
        for sub in ("config", "cache", "data", "runtime", "buses"):
            (self.home / sub).mkdir()
        (self.home / "runtime").chmod(0o700)
        if self.evidence is None:
            self.evidence = self.home / "evidence"
        self.evidence.mkdir(parents=True, exist_ok=True)
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(self.home),
            "XDG_CONFIG_HOME": str(self.home / "config"),
            "XDG_CACHE_HOME": str(self.home / "cache"),
            "XDG_DATA_HOME": str(self.home / "data"),
            "XDG_RUNTIME_DIR": str(self.home / "runtime"),
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "TZ": self.tz or os.environ.get("TZ", "UTC"),
            "QT_QPA_PLATFORM": "xcb",
            # Never the machine's own logind: a test that lets a task fire must
            # not power anything off. With logind=True this becomes the private
            # system bus with the mock on it.
            "DBUS_SYSTEM_BUS_ADDRESS": f"unix:path={self.home}/buses/no-system-bus",
            "DBUS_SESSION_BUS_ADDRESS": f"unix:path={self.home}/buses/no-session-bus",
        }
        self.env = env
        env["DISPLAY"] = self._start_x_server()

        env["DBUS_SESSION_BUS_ADDRESS"] = self._start_bus("session")
        if self._want_logind:
            env["DBUS_SYSTEM_BUS_ADDRESS"] = self._start_bus("system")
            self.logind = LogindMock(self, self.evidence / "logind-calls.log")
            self.logind.start()
        for template, name in self._session_mocks:
            mock = DbusMock(self, "session", template, name, self.evidence / f"{name}-calls.log")
            mock.start()
            self.mocks[name] = mock

        with open(self.evidence / "jwm.log", "wb") as log:
            jwm = self.spawn(["jwm", "-f", str(HERE / "jwmrc.xml")], stdout=log,
                             stderr=subprocess.STDOUT)
        self.wait_for(lambda: jwm.poll() is not None or self._has_window_manager(),
                      "the window manager")
        if jwm.poll() is not None:
            raise RuntimeError(f"jwm ended with code {jwm.returncode}: see {self.evidence}/jwm.log")
        self.wait_for(lambda: self.tray_owner(), "the system tray")

    def _start_bus(self, kind):
        config = self.home / "buses" / f"{kind}.conf"
        config.write_text(BUS_CONFIG.format(kind=kind, socket=self.home / "buses" / kind))
        daemon = self.spawn(["dbus-daemon", f"--config-file={config}", "--nofork",
                             "--print-address=1"], stdout=subprocess.PIPE)
        address = daemon.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError(f"the private {kind} bus did not start")
        return address

    def _start_x_server(self):
        """Starts Xvfb on a free display, which it picks and tells us, and
        returns the display."""
        read_fd, write_fd = os.pipe()
        with open(self.evidence / "xvfb.log", "wb") as log:
            # -noreset: otherwise each time the last client leaves (a look
            # with xprop before the window manager is up) the server resets,
            # and turns away whoever connects meanwhile.
            xvfb = self.spawn(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                 f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_fd,), stdout=log, stderr=subprocess.STDOUT)
        os.close(write_fd)
        return f":{self._read_display(read_fd, xvfb)}"

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

    def _check_private(self, env):
        """Refuses an environment whose buses are not this desktop's."""
        for name in ("DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"):
            address = env.get(name, "")
            if not address.startswith(f"unix:path={self.home}/buses/"):
                raise RuntimeError(f"refusing to start a process with {name}={address!r}: "
                                   "only this desktop's private buses are allowed")

    def spawn(self, argv, env=None, **kwargs):
        """Starts a process on this desktop, in a process group of its own that
        close() ends."""
        env = env or self.env
        self._check_private(env)
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(argv, env=env, start_new_session=True,
                                   preexec_fn=_end_with_runner, **kwargs)
        self._processes.append(process)
        return process

    def end(self, process):
        """Ends one process started here (and its process group) by its id."""
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(process.pid, sig)
            except ProcessLookupError:
                break
            try:
                process.wait(timeout=5)
                break
            except subprocess.TimeoutExpired:
                continue
        process.wait()
        for stream in (process.stdout, process.stderr):
            if stream:
                stream.close()

    def close(self):
        if self._x11:
            self._x11.close()
            self._x11 = None
        for process in reversed(self._processes):
            self.end(process)
        self._processes.clear()
        if self.home:
            shutil.rmtree(self.home, ignore_errors=True)
            self.home = None
        _open_desktops.discard(self)

    # -- looking and acting -----------------------------------------------
    def run(self, argv, check=True):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError(f"{argv} failed: {result.stderr}")
        return result.stdout

    def wait_for(self, condition, what, timeout=20.0, interval=0.05):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(interval)
        raise AssertionError(f"timed out after {timeout:g} s waiting for {what}")

    def find_window(self, pid, name):
        """The id of the visible window of process pid whose title is name."""
        ids = self.find_windows(pid, name)
        return ids[0] if ids else None

    def find_windows(self, pid, name):
        """The ids of the visible windows of process pid whose title is name.

        Titles are compared here: xdotool's --name pattern matches any title
        once it holds characters outside ASCII."""
        out = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], check=False)
        found = []
        for window in out.split():
            title = self.run(["xdotool", "getwindowname", window], check=False)
            if title.rstrip("\n") == name:
                found.append(window)
        return found

    def window_info(self, window):
        """xwininfo's fields of a window, by their names."""
        out = self.run(["xwininfo", "-id", str(window)])
        values = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return values

    def geometry(self, window):
        """(x, y, width, height) of a window's client area on the screen.

        Read with xwininfo: xdotool adds the frame offset twice under a
        reparenting window manager."""
        values = self.window_info(window)
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def frame_geometry(self, window):
        """(x, y, width, height) of a window with the frame the window manager
        draws around it (_NET_FRAME_EXTENTS)."""
        x, y, width, height = self.geometry(window)
        out = self.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], check=False)
        left = right = top = bottom = 0
        if "=" in out:
            left, right, top, bottom = (int(v) for v in out.split("=", 1)[1].split(","))
        return x - left, y - top, width + left + right, height + top + bottom

    def wm_state(self, window):
        """The ICCCM state the window manager gives a window: "Normal",
        "Iconic" (minimised), or None when it manages no such window (hidden or
        never shown)."""
        out = self.run(["xprop", "-id", str(window), "WM_STATE"], check=False)
        for line in out.splitlines():
            if "window state:" in line:
                state = line.split(":", 1)[1].strip()
                return None if state == "Withdrawn" else state
        return None

    def is_viewable(self, window):
        try:
            return self.window_info(window).get("Map State") == "IsViewable"
        except RuntimeError:
            return False  # gone

    def key(self, window, *keys):
        """Keys typed into window, as a user types them: the window is activated
        and the keys go to whatever holds the focus there."""
        self.run(["xdotool", "windowactivate", "--sync", window])
        self.run(["xdotool", "key", "--delay", "30", *keys])

    def click(self, window, x, y, repeat=1):
        """A left click (or `repeat` of them, a double click for 2) at client
        coordinates of window."""
        self.run(["xdotool", "mousemove", "--window", window, str(x), str(y), "click",
                  "--repeat", str(repeat), "--delay", "80", "1"])

    def click_at(self, x, y, repeat=1):
        """A left click at screen coordinates."""
        self.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(repeat),
                  "--delay", "80", "1"])

    # -- the tray ---------------------------------------------------------
    def _xlib(self):
        if self._x11 is None:
            self._x11 = _X11(self.env["DISPLAY"])
        return self._x11

    def tray_owner(self):
        """The window that holds the system tray's icons (the owner of the
        _NET_SYSTEM_TRAY_S0 selection), or None when there is no tray."""
        owner = self._xlib().selection_owner("_NET_SYSTEM_TRAY_S0")
        return hex(owner) if owner else None

    def tray_children(self):
        """The ids of every window inside the tray, whoever's."""
        owner = self.tray_owner()
        if owner is None:
            return []
        out = self.run(["xwininfo", "-tree", "-id", owner], check=False)
        children = []
        for line in out.splitlines():
            fields = line.split()
            if fields and fields[0].startswith("0x") and fields[0] != owner:
                children.append(fields[0])
        return children

    def tray_icons(self, pid):
        """The ids of the viewable windows of process pid inside the tray."""
        icons = []
        for window in self.tray_children():
            prop = self.run(["xprop", "-id", window, "_NET_WM_PID"], check=False)
            if prop.strip().endswith(f"= {pid}") and self.is_viewable(window):
                icons.append(window)
        return icons

    # -- the screen -------------------------------------------------------
    def placement(self, window):
        """(x, y, width, height) of a window's client area on the screen while
        it is viewable, else None; read without starting a process, for
        watching a window that moves."""
        return self._xlib().placement(int(str(window), 0))

    def pixels(self, x, y, width, height):
        """What the screen shows in the rectangle, as rows of RGB bytes."""
        return self._xlib().pixels(x, y, width, height)

    def screenshot(self, path, window=None):
        """The screen, or the client area of one window, as a PNG file."""
        if window is None:
            rows = self.pixels(0, 0, *SCREEN)
        else:
            x, y, width, height = self.geometry(window)
            left, top = max(x, 0), max(y, 0)
            right, bottom = min(x + width, SCREEN[0]), min(y + height, SCREEN[1])
            rows = self.pixels(left, top, right - left, bottom - top)
        write_png(path, rows)
        return Path(path)

    def monitor_state(self):
        """The DPMS monitor state as `xset q` reports it (On, Off, Standby or
        Suspend), or None when the server has no DPMS (Xvfb has none)."""
        out = self.run(["xset", "q"])
        for line in out.splitlines():
            line = line.strip()
            if line.startswith("Monitor is "):
                return line[len("Monitor is "):].strip()
        return None
