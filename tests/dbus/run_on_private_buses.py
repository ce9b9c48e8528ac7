#!/usr/bin/python3
"""Runs a test program on a system bus and a session bus of its own.

Starts two dbus-daemons from minimal configurations (no service directories of
the machine, so nothing real can be started on demand, and nobody but the test
on them), optionally an Xvfb, and runs the program with DBUS_SYSTEM_BUS_ADDRESS,
DBUS_SESSION_BUS_ADDRESS and a home of its own. Every process started here is
ended by its id afterwards, also when the test fails or hangs; so are the mock
services the test started and left behind (they share its process group).

  run_on_private_buses.py [--x11] -- PROGRAM [ARGS...]
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

TEST_TIMEOUT = 240  # seconds; CTest's own limit is set above this

CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{type}</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  {servicedir}
  <policy context="default">
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
"""


class Processes:
    """The processes started here, ended in reverse order by their ids."""

    def __init__(self):
        self._started = []

    def start(self, argv, env, **kwargs):
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        process = subprocess.Popen(argv, env=env, start_new_session=True, **kwargs)
        self._started.append(process)
        return process

    def end_all(self):
        for process in reversed(self._started):
            end_group(process)
        self._started.clear()


def end_group(process):
    """Ends process and whatever it started in its process group."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        if process.poll() is None:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                continue
        # The leader is gone; give what it started a moment to follow.
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            try:
                os.killpg(process.pid, 0)
            except ProcessLookupError:
                return
            time.sleep(0.02)


def start_bus(root, kind, processes, env):
    servicedir = ""
    if kind == "session":
        services = root / "session-services"
        services.mkdir()
        servicedir = f"<servicedir>{services}</servicedir>"
    config = root / f"{kind}.conf"
    config.write_text(CONFIG.format(type=kind, socket=root / f"{kind}_bus_socket",
                                    servicedir=servicedir))
    daemon = processes.start(
        ["dbus-daemon", f"--config-file={config}", "--nofork", "--print-address=1"],
        env=env, stdout=subprocess.PIPE)
    address = daemon.stdout.readline().decode().strip()
    if not address:
        raise RuntimeError(f"the {kind} bus did not start")
    return address


def start_xvfb(processes, env):
    read_fd, write_fd = os.pipe()
    xvfb = processes.start(["Xvfb", "-displayfd", str(write_fd), "-nolisten", "tcp",
                            "-screen", "0", "1280x1024x24"],
                           env=env, pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    data = b""
    with os.fdopen(read_fd, "rb", buffering=0) as pipe:
        while not data.endswith(b"\n"):
            chunk = pipe.read(16)
            if not chunk or xvfb.poll() is not None:
                raise RuntimeError("Xvfb did not start")
            data += chunk
    return f":{int(data.strip())}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--x11", action="store_true",
                        help="show the program's windows on an Xvfb when there is one")
    parser.add_argument("program")
    parser.add_argument("arguments", nargs=argparse.REMAINDER)
    args = parser.parse_args()

    # CTest ends a test that runs too long with SIGTERM: clean up then too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    root = Path(tempfile.mkdtemp(prefix="velmora-dbus-"))
    processes = Processes()
    try:
        for sub in ("home", "runtime"):
            (root / sub).mkdir()
        (root / "runtime").chmod(0o700)
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(root / "home"),
            "XDG_RUNTIME_DIR": str(root / "runtime"),
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "TZ": "UTC",
        }
        env["DBUS_SYSTEM_BUS_ADDRESS"] = start_bus(root, "system", processes, env)
        env["DBUS_SESSION_BUS_ADDRESS"] = start_bus(root, "session", processes, env)
        env["VELMORA_PRIVATE_BUS_DIR"] = str(root)
        if args.x11 and shutil.which("Xvfb"):
            env["DISPLAY"] = start_xvfb(processes, env)
            env["QT_QPA_PLATFORM"] = "xcb"
        else:
            env["QT_QPA_PLATFORM"] = "offscreen"

        test = processes.start([args.program, *args.arguments], env=env, stdout=None)
        try:
            return test.wait(timeout=TEST_TIMEOUT)
        except subprocess.TimeoutExpired:
            print(f"{args.program} did not end within {TEST_TIMEOUT} s", file=sys.stderr)
            return 1
    finally:
        processes.end_all()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
