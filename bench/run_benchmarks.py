#!/usr/bin/python3
"""Benchmarks of the real program under Xvfb with a mock logind: on time, asleep
when idle, light to start, side by side with KShutdown.

  run_benchmarks.py --program build-bench/app/velmora [--short] [--output FILE]
                    [--artifacts FOLDER]

The full run takes about six minutes and writes docs/benchmarks.md (or FILE);
--short runs every measurement briefly and without KShutdown, checks only that
each produced its numbers, and writes FILE when one is given. A benchmark
measures and reports: missing a target is reported, not an error. The exit
code is not 0 when a measurement produced no number (the program did not start,
a countdown never reached the mock, ...).

Every process runs on a desktop of tests/e2e/harness.py: its own Xvfb, window
manager with a tray, session bus and system bus with python-dbusmock's logind
template, and a home in a temporary folder. No power request can reach the
machine's logind or session manager. Every process started here is ended by its
id, also when a measurement fails.
"""

import argparse
import contextlib
import datetime
import math
import os
import platform
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from harness import Desktop  # noqa: E402  (the path above first)
from scenario import CAPTION, WARNING_CAPTION, Velmora, local_zone  # noqa: E402

MAP_WATCH = HERE / "map_watch.py"
SETTINGS_FILE = "delp.ini"  # in XDG_CONFIG_HOME, GBK text with CRLF lines
AUTOSTART_ENTRY = "autostart/velmora.desktop"
POWER_METHODS = ("PowerOff", "Reboot", "TerminateSession", "Suspend", "Hibernate")

# KShutdown's harmless action ("Show Message (no shutdown)") armed for 60
# minutes from the command line: nothing of a run comes near its end.
KSHUTDOWN = "kshutdown"
KSHUTDOWN_ARMED = [KSHUTDOWN, "--test", "60"]
KSHUTDOWN_ARMED_HIDDEN = [KSHUTDOWN, "--init", "--test", "60"]
KSHUTDOWN_ARMED_TITLE = "Remaining time"  # in its window title while a countdown runs

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


@dataclass(frozen=True)
class Mode:
    name: str
    countdowns: int       # firing latency runs
    stall_runs: int
    idle_seconds: float   # length of each idle window
    warning_lead: int     # seconds the warning window counts
    startups: int
    kshutdown: bool
    idle_states: tuple    # which idle states to measure


FULL = Mode("full", countdowns=20, stall_runs=10, idle_seconds=60.0, warning_lead=90,
            startups=10, kshutdown=True,
            idle_states=("shown", "shown_armed", "hidden_daily", "warning_hidden",
                         "warning_shown"))
SHORT = Mode("short", countdowns=3, stall_runs=1, idle_seconds=5.0, warning_lead=15,
             startups=2, kshutdown=False, idle_states=("shown", "hidden_daily", "warning_hidden"))

COUNTDOWN_SECONDS = 3       # each latency run's countdown
STALL_COUNTDOWN_SECONDS = 4
STALL_SECONDS = 3.0         # stopped from 1.5 s before the target second to 1.5 s after
HWM_AFTER = 10.0            # seconds after the exec at which VmHWM is read
SETTLE = 2.0                # seconds between reaching a state and measuring in it

TARGETS = {
    "latency_median_ms": 20.0,
    "latency_max_ms": 100.0,
    "hidden_cpu_s_per_min": 0.01,
    "hidden_wakeups_per_min": 70.0,
    "warning_core_percent": 1.0,
    "startup_ms": 150.0,
    "hwm_mb": 40.0,
}


class BenchError(RuntimeError):
    """A measurement that produced no number."""


# -- numbers ----------------------------------------------------------------
def percentile(values, fraction):
    """Nearest-rank percentile: the smallest value with at least `fraction` of
    the values at or below it."""
    ordered = sorted(values)
    return ordered[max(0, math.ceil(fraction * len(ordered)) - 1)]


def plural(count):
    return "" if count == 1 else "s"


def fmt(value, digits=1):
    return "n/a" if value is None else f"{value:.{digits}f}"


@dataclass
class Counters:
    """What /proc says about one process at one moment."""
    moment: float        # time.monotonic()
    cpu_ticks: int       # utime + stime of every thread, /proc/PID/stat
    run_ns: int          # time on a CPU of the threads alive now, /proc/PID/task/*/schedstat
    voluntary: dict      # thread id -> voluntary context switches
    main_voluntary: int  # /proc/PID/status of the main thread
    rss_kb: int

    @staticmethod
    def read(pid):
        moment = time.monotonic()
        stat = Path(f"/proc/{pid}/stat").read_text()
        fields = stat[stat.rindex(")") + 2:].split()
        cpu_ticks = int(fields[11]) + int(fields[12])  # utime, stime (fields 14 and 15)
        run_ns = 0
        voluntary = {}
        for task in Path(f"/proc/{pid}/task").iterdir():
            try:
                run_ns += int((task / "schedstat").read_text().split()[0])
                voluntary[task.name] = status_value(task / "status", "voluntary_ctxt_switches")
            except (FileNotFoundError, ProcessLookupError):
                continue  # a thread that ended meanwhile
        status = Path(f"/proc/{pid}/status")
        return Counters(moment, cpu_ticks, run_ns, voluntary,
                        status_value(status, "voluntary_ctxt_switches"),
                        status_value(status, "VmRSS"))


def status_value(path, key):
    """A number field of a /proc status file (kB for the memory ones)."""
    for line in Path(path).read_text().splitlines():
        name, _, value = line.partition(":")
        if name == key:
            return int(value.split()[0])
    raise BenchError(f"no {key} in {path}")


@dataclass
class IdleCost:
    seconds: float
    cpu_s_per_min: float         # from /proc/PID/stat, 1/CLK_TCK resolution
    run_s_per_min: float         # from schedstat, nanoseconds
    core_percent: float          # of the stat figure
    run_core_percent: float      # of the schedstat figure
    wakeups_per_min: float       # voluntary context switches of every thread
    main_wakeups_per_min: float  # of the main thread alone
    threads: int
    rss_mb: float

    @staticmethod
    def between(before, after):
        seconds = after.moment - before.moment
        per_minute = 60.0 / seconds
        cpu = (after.cpu_ticks - before.cpu_ticks) / CLOCK_TICKS
        run = (after.run_ns - before.run_ns) / 1e9
        # Per thread, so that a thread that started meanwhile counts from 0; one
        # that ended meanwhile is lost (and would lower the run figure too).
        switches = sum(count - before.voluntary.get(tid, 0)
                       for tid, count in after.voluntary.items())
        return IdleCost(seconds, cpu * per_minute, run * per_minute, 100.0 * cpu / seconds,
                        100.0 * run / seconds, switches * per_minute,
                        (after.main_voluntary - before.main_voluntary) * per_minute,
                        len(after.voluntary), after.rss_kb / 1024.0)


# -- the desktops -------------------------------------------------------------
class Bench:
    """The desktops of one run, each closed (every process on it ended by its
    id) when the run ends, however it ends."""

    def __init__(self, program, artifacts, stack):
        self.program = program
        self.artifacts = artifacts
        self.zone, self.offset = local_zone()  # now lies between 10 and 14 o'clock there
        self._stack = stack

    def desktop(self, name):
        evidence = self.artifacts / name
        shutil.rmtree(evidence, ignore_errors=True)
        desktop = Desktop(logind=True, evidence=evidence, tz=self.zone)
        return self._stack.enter_context(desktop)

    def local(self, epoch):
        """A moment (seconds since the epoch) on the program's clock."""
        return datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).replace(
            tzinfo=None) + self.offset

    def start_velmora(self, desktop, name="velmora"):
        with open(desktop.evidence / f"{name}.out", "wb") as out, \
                open(desktop.evidence / f"{name}.err", "wb") as err:
            process = desktop.spawn([self.program], stdout=out, stderr=err)

        def shown():
            if process.poll() is not None:
                raise BenchError(f"the program ended at start with code {process.returncode}; "
                                 f"see {desktop.evidence / name}.err")
            window = desktop.find_window(process.pid, CAPTION)
            return window if window and desktop.is_viewable(window) else None

        window = desktop.wait_for(shown, "the main window", timeout=30)
        return Velmora(desktop, process, window, self.local(time.time()).date())


def settings_slot(desktop, number):
    """Slot 配置<number> of the program's settings file, or None."""
    path = Path(desktop.env["XDG_CONFIG_HOME"]) / SETTINGS_FILE
    try:
        text = path.read_bytes().decode("gbk")
    except (FileNotFoundError, UnicodeDecodeError):
        return None
    section = None
    for line in text.split("\r\n"):
        if line.startswith("[配置") and line.endswith("]"):
            section = line[3:-1]
        elif line.startswith("配置=") and section == str(number):
            return line[3:]
    return None


def joined_target_text(local):
    """The program's joined target text for a moment: its date text, then the
    hour, minute and second as plain numbers."""
    return f"{local.year}年{local.month}月{local.day}日{local.hour}{local.minute}{local.second}"


def press_in_second(velmora, control, fraction=0.4):
    """Clicks the control `fraction` of a second into the next wall-clock
    second; returns the time.time() just before and just after the click."""
    desktop = velmora.desktop
    desktop.run(["xdotool", "mousemove", "--window", velmora.window,
                 *map(str, velmora.centre(control))])
    sleep_until(int(time.time()) + 1 + fraction)
    before = time.time()
    desktop.run(["xdotool", "click", "1"])
    return before, time.time()


def sleep_until(moment):
    while (left := moment - time.time()) > 0:
        time.sleep(min(left, 0.2))


def read_armed_target(bench, velmora, pressed_second, seconds):
    """The target second the program armed, as seconds since the epoch.

    The once-watcher writes the target's joined text into the program's state
    at its first tick after 启动; 保存 then writes it to slot 6 of the
    settings file. Of the seconds around pressed_second + seconds (the
    countdown counts from the clock's last reading, the second 启动 was pressed
    in), the one whose text the file holds is the program's target."""
    sleep_until(pressed_second + 1.15)  # after the watcher's first tick
    expected = pressed_second + seconds
    candidates = {joined_target_text(bench.local(second)): second
                  for second in range(expected - 2, expected + 2)}
    # On a busy machine the tick may come later than the click: then the file
    # holds the previous target, and saving again a little later tells.
    for _ in range(3):
        velmora.click("save")
        deadline = time.monotonic() + 0.5
        while time.monotonic() < deadline:
            text = settings_slot(velmora.desktop, 6)
            if text in candidates:
                return candidates[text]
            time.sleep(0.02)
    raise BenchError(f"the saved target {settings_slot(velmora.desktop, 6)!r} is none of "
                     f"{sorted(candidates)}: cannot tell which second the program armed")


def arm_countdown_boxes(velmora, hours="", minutes="", seconds=""):
    velmora.click("countdown")
    velmora.type_into("countdown_hours", hours)
    velmora.type_into("countdown_minutes", minutes)
    velmora.type_into("countdown_seconds", seconds)


def power_calls(desktop, since):
    return [call for call in desktop.logind.calls_of(*POWER_METHODS) if call.time >= since]


# -- 1. firing latency ------------------------------------------------------
@dataclass
class LatencyRun:
    target: int          # seconds since the epoch
    derived_target: int  # the pressed second plus the countdown
    latency_ms: float
    call: str
    extra_calls: int


def measure_latency(bench, velmora, runs, log):
    desktop = velmora.desktop
    arm_countdown_boxes(velmora, seconds=str(COUNTDOWN_SECONDS))
    results = []
    for number in range(runs):
        since = time.time()
        before, after = press_in_second(velmora, "start")
        pressed = int(before)
        target = read_armed_target(bench, velmora, pressed, COUNTDOWN_SECONDS)
        calls = desktop.wait_for(lambda: power_calls(desktop, since),
                                 "the power request at the mock logind",
                                 timeout=target - time.time() + 10, interval=0.01)
        call = calls[0]
        # A second request would come at the next tick: give it the chance.
        sleep_until(call.time + 1.2)
        extra = len(power_calls(desktop, since)) - 1
        run = LatencyRun(target, pressed + COUNTDOWN_SECONDS, (call.time - target) * 1000.0,
                         str(call), extra)
        results.append(run)
        log(f"latency run {number + 1}/{runs}: {call} at {run.latency_ms:+.0f} ms from "
            f"{bench.local(target):%H:%M:%S}"
            + ("" if int(after) == pressed else " (the click crossed a second)")
            + (f", {extra} more request(s)" if extra else ""))
    return results


# -- 2. a stalled machine ---------------------------------------------------
@dataclass
class StallRun:
    target: int
    stopped_state: str      # the process state read just before SIGCONT ("T")
    calls: int              # power requests from arming until 3 s after the continue
    during_stop: int        # of them, before the continue
    after_continue_ms: float  # from SIGCONT to the first request


def fired_once_in(run):
    return run.stopped_state == "T" and run.calls == 1 and run.during_stop == 0


def process_state(pid):
    stat = Path(f"/proc/{pid}/stat").read_text()
    return stat[stat.rindex(")") + 2:].split()[0]


def measure_stall(bench, velmora, runs, log):
    desktop = velmora.desktop
    pid = velmora.pid
    arm_countdown_boxes(velmora, seconds=str(STALL_COUNTDOWN_SECONDS))
    results = []
    for number in range(runs):
        since = time.time()
        before, _ = press_in_second(velmora, "start")
        target = read_armed_target(bench, velmora, int(before), STALL_COUNTDOWN_SECONDS)
        early = power_calls(desktop, since)
        if early:
            raise BenchError(f"a request before the stall: {early}")
        sleep_until(target - STALL_SECONDS / 2)
        os.kill(pid, signal.SIGSTOP)
        try:
            stopped_at = time.time()
            desktop.wait_for(lambda: process_state(pid) == "T", "the program to stop",
                             timeout=1, interval=0.005)
            sleep_until(stopped_at + STALL_SECONDS)
            state = process_state(pid)
        finally:
            # Read before the signal: once it is sent, the program may run
            # (and call) before this process is scheduled again.
            continued = time.time()
            os.kill(pid, signal.SIGCONT)
        sleep_until(continued + 3.0)
        calls = power_calls(desktop, since)
        # The mock logs to the millisecond, rounded: a call it logs more than
        # half a millisecond before `continued` came before it.
        during = [call for call in calls if call.time < continued - 0.0005]
        delay = (calls[0].time - continued) * 1000.0 if calls else None
        run = StallRun(target, state, len(calls), len(during), delay)
        results.append(run)
        log(f"stall run {number + 1}/{runs}: stopped {stopped_at - target:+.2f} s to "
            f"{continued - target:+.2f} s around the target; {len(calls)} request(s)"
            + (f", the first {delay:.0f} ms after SIGCONT" if calls else ""))
    return results


# -- 3. idle cost, and the KShutdown side ------------------------------------
@dataclass
class IdleSubject:
    """One program in one idle state, measured over a window by a thread of
    its own (it only reads /proc), so that the states are measured side by side."""
    key: str
    label: str
    desktop: Desktop
    process: subprocess.Popen
    spawned: float            # time.monotonic() just before the exec
    window_start: float       # time.monotonic()
    still_there: object       # () -> None, or what is wrong when the state was lost
    hwm_wanted: bool = False  # read VmHWM HWM_AFTER seconds after the exec
    end_after: bool = False   # check the state and end the program right after the window
    per_second: bool = False  # also read the CPU time at each second of the window
    seconds_ms: list = None   # then: the CPU time of each second, in ms
    hwm_kb: int = None
    memory_kb: dict = None    # VmRSS and its parts, read with VmHWM
    cost: IdleCost = None
    error: str = None
    notes: list = field(default_factory=list)
    thread: threading.Thread = None

    def start(self, seconds):
        self.thread = threading.Thread(target=self._measure, args=(seconds,), daemon=True)
        self.thread.start()

    def _measure(self, seconds):
        try:
            pid = self.process.pid
            steps = [(self.window_start, "before")]
            if self.hwm_wanted:
                steps.append((self.spawned + HWM_AFTER, "hwm"))
            readings = {}
            while steps:
                steps.sort(key=lambda step: step[0])
                moment, what = steps.pop(0)
                time.sleep(max(0.0, moment - time.monotonic()))
                if self.process.poll() is not None:
                    raise BenchError(f"the program ended with code {self.process.returncode}")
                if what == "hwm":
                    status = f"/proc/{pid}/status"
                    self.hwm_kb = status_value(status, "VmHWM")
                    self.memory_kb = {key: status_value(status, key) for key in
                                      ("VmRSS", "RssAnon", "RssFile", "RssShmem")}
                elif what == "second":
                    readings.setdefault("seconds", []).append(Counters.read(pid).run_ns)
                else:
                    readings[what] = Counters.read(pid)
                    if what == "before":
                        # From the reading itself: the window is never shorter
                        # than `seconds`, however late the thread woke.
                        began = readings["before"].moment
                        steps.append((began + seconds, "after"))
                        if self.per_second:
                            steps += [(began + n, "second") for n in range(1, int(seconds))]
            if self.per_second:
                runs = [readings["before"].run_ns, *readings.get("seconds", []),
                        readings["after"].run_ns]
                self.seconds_ms = [(b - a) / 1e6 for a, b in zip(runs, runs[1:])]
            self.cost = IdleCost.between(readings["before"], readings["after"])
            if self.end_after:
                self._check()
        except Exception as error:  # reported with the subject by join()
            self.error = f"{type(error).__name__}: {error}"
        finally:
            if self.end_after:
                self.desktop.end(self.process)

    def _check(self):
        problem = self.still_there()
        if problem:
            raise BenchError(f"the state did not last the window: {problem}")

    def join(self):
        self.thread.join()
        if self.error is None and not self.end_after:
            try:
                self._check()
            except BenchError as error:
                self.error = str(error)
        if self.error:
            raise BenchError(f"{self.label}: {self.error}")


def minimise_to_tray(velmora):
    desktop = velmora.desktop
    desktop.run(["xdotool", "windowminimize", "--sync", velmora.window])
    desktop.wait_for(lambda: desktop.wm_state(velmora.window) is None,
                     "the minimised window to leave the taskbar")
    desktop.wait_for(velmora.tray_icons, "the tray icon")


def velmora_viewable(velmora):
    return None if velmora.desktop.is_viewable(velmora.window) else "the window is not shown"


def velmora_hidden(velmora):
    if velmora.desktop.is_viewable(velmora.window):
        return "the window came back"
    if not velmora.tray_icons():
        return "the tray icon went"
    return None


def setup_idle_shown(bench, armed):
    key = "shown_armed" if armed else "shown"
    desktop = bench.desktop(f"idle-{key}")
    spawned = time.monotonic()
    velmora = bench.start_velmora(desktop)
    label = "window shown, nothing armed"
    if armed:
        # A countdown of one hour: the same watcher as every task that runs once.
        arm_countdown_boxes(velmora, hours="1")
        before, _ = press_in_second(velmora, "start")
        read_armed_target(bench, velmora, int(before), 3600)
        label = "window shown, a countdown of 1 h armed"
    subject = IdleSubject(key, label, desktop, velmora.process, spawned,
                          time.monotonic() + SETTLE, lambda: velmora_viewable(velmora))
    subject.hwm_wanted = not armed
    return subject


def setup_idle_hidden_daily(bench):
    desktop = bench.desktop("idle-hidden_daily")
    velmora = bench.start_velmora(desktop)
    # A daily task five hours ahead: the watcher runs, nothing fires during the run.
    moment = bench.local(time.time() + 5 * 3600)
    velmora.click("clock_time")
    velmora.type_into("hour", str(moment.hour))
    velmora.type_into("minute", str(moment.minute))
    velmora.type_into("second", str(moment.second))
    velmora.choose("repetition", 1)  # 每日定时
    velmora.click("start")
    desktop.wait_for(lambda: (Path(desktop.env["XDG_CONFIG_HOME"]) / AUTOSTART_ENTRY).exists(),
                     "the daily task's autostart entry")
    desktop.wait_for(lambda: settings_slot(desktop, 20) == "1", "the daily task's record")
    minimise_to_tray(velmora)
    subject = IdleSubject("hidden_daily", f"hidden in the tray, a daily task armed "
                          f"({moment:%H:%M:%S})", desktop, velmora.process, time.monotonic(),
                          time.monotonic() + SETTLE, lambda: velmora_hidden(velmora),
                          per_second=True)
    return subject


def setup_idle_warning(bench, lead, idle_seconds, hidden):
    key = "warning_hidden" if hidden else "warning_shown"
    desktop = bench.desktop(f"idle-{key}")
    velmora = bench.start_velmora(desktop)
    velmora.click("warn")
    velmora.type_into("lead", str(lead))
    # The warning opens a few seconds after 启动 and counts `lead` seconds;
    # the window lies inside that, and the program is ended before the target.
    countdown = lead + 8
    arm_countdown_boxes(velmora, seconds=str(countdown))
    since = time.time()
    before, _ = press_in_second(velmora, "start")
    target = read_armed_target(bench, velmora, int(before), countdown)
    if hidden:
        minimise_to_tray(velmora)
    desktop.wait_for(lambda: desktop.find_window(velmora.pid, WARNING_CAPTION),
                     "the warning window", timeout=target - lead - time.time() + 10,
                     interval=0.05)
    opened = time.time()
    start = time.monotonic() + SETTLE  # after its slide-up
    if opened + SETTLE + idle_seconds > target - 2:
        raise BenchError("the warning window opened too late to be measured before the target")

    def still_counting():
        if power_calls(desktop, since):
            return "the action fired"
        return None if desktop.find_window(velmora.pid, WARNING_CAPTION) else "the warning went"

    where = "hidden in the tray" if hidden else "window shown"
    subject = IdleSubject(key, f"{where}, the warning window counting ({lead} s lead)",
                          desktop, velmora.process, time.monotonic(), start, still_counting)
    subject.notes.append(f"warning window up {opened - (target - lead):+.2f} s from its second")
    subject.end_after = True
    return subject


# What a process that only wakes once a second costs on this machine: the
# floor under the hidden state's figures, measured in the same window.
REFERENCE_TICKER = """import time
while True:
    time.sleep(1.005 - time.time() % 1)
"""


def setup_reference(desktop):
    with open(desktop.evidence / "reference.log", "wb") as out:
        process = desktop.spawn([sys.executable, "-c", REFERENCE_TICKER], stdout=out,
                                stderr=subprocess.STDOUT)
    return IdleSubject("reference", "for scale: a Python process that only wakes 5 ms after "
                       "each second", desktop, process, time.monotonic(),
                       time.monotonic() + SETTLE, lambda: None, per_second=True)


def kshutdown_windows(desktop, pid):
    """KShutdown's top-level windows: (id, title, viewable), tray icon excluded."""
    out = desktop.run(["xdotool", "search", "--pid", str(pid)], check=False)
    found = []
    for window in out.split():
        title = desktop.run(["xdotool", "getwindowname", window], check=False).rstrip("\n")
        in_tray = int(window) in {int(child, 16) for child in desktop.tray_children()}
        if in_tray or not (KSHUTDOWN_ARMED_TITLE in title or title.endswith("KShutdown")):
            continue
        found.append((window, title, desktop.is_viewable(window)))
    return found


def kshutdown_main_window(desktop, process):
    """The id of KShutdown's main window once it is mapped and managed."""
    if process.poll() is not None:
        raise BenchError(f"kshutdown ended at start with code {process.returncode}")
    for window, _, viewable in kshutdown_windows(desktop, process.pid):
        if viewable and desktop.wm_state(window) == "Normal":
            return window
    return None


def kshutdown_armed(desktop, pid, shown):
    """None while its countdown runs (its title says so) and the window is as
    wanted; else what is wrong."""
    windows = kshutdown_windows(desktop, pid)
    armed = [w for w in windows if KSHUTDOWN_ARMED_TITLE in w[1]]
    if not armed:
        return f"no window titled with {KSHUTDOWN_ARMED_TITLE!r}: {windows}"
    if any(viewable for _, _, viewable in armed) != shown:
        return "the main window is " + ("hidden" if shown else "shown")
    return None


def setup_kshutdown(bench, hidden):
    key = "ks_hidden" if hidden else "ks_shown"
    desktop = bench.desktop(f"idle-{key}")
    argv = KSHUTDOWN_ARMED_HIDDEN if hidden else KSHUTDOWN_ARMED
    spawned = time.monotonic()
    with open(desktop.evidence / "kshutdown.log", "wb") as out:
        process = desktop.spawn(argv, stdout=out, stderr=subprocess.STDOUT)
    if hidden:
        desktop.wait_for(lambda: process.poll() is not None or desktop.tray_icons(process.pid),
                         "KShutdown's tray icon", timeout=30)
    else:
        desktop.wait_for(lambda: kshutdown_main_window(desktop, process),
                         "KShutdown's main window", timeout=30)
    with contextlib.suppress(AssertionError):  # what is wrong is said below
        desktop.wait_for(lambda: process.poll() is not None
                         or kshutdown_armed(desktop, process.pid, not hidden) is None,
                         "KShutdown's countdown", timeout=10)
    problem = (f"it ended with code {process.returncode}" if process.poll() is not None
               else kshutdown_armed(desktop, process.pid, not hidden))
    if problem:
        raise BenchError(f"KShutdown ({' '.join(argv)}) is not counting down: {problem}")
    where = "hidden in the tray (--init)" if hidden else "window shown"
    subject = IdleSubject(key, f"KShutdown, {where}, its test action armed for 60 min",
                          desktop, process, spawned, time.monotonic() + SETTLE,
                          lambda: kshutdown_armed(desktop, process.pid, not hidden),
                          per_second=hidden)
    subject.hwm_wanted = not hidden
    subject.notes.append(" ".join(argv))
    return subject


def measure_idle(bench, mode, with_kshutdown, log):
    """Every idle state on a desktop of its own, measured side by side: each
    window starts SETTLE seconds after its state is reached. The warning
    states are set up last, so that their countdowns are the shortest waits."""
    order = [s for s in ("shown", "shown_armed", "hidden_daily") if s in mode.idle_states]
    setups = []
    for state in order:
        if state == "shown":
            setups.append(lambda: setup_idle_shown(bench, armed=False))
        elif state == "shown_armed":
            setups.append(lambda: setup_idle_shown(bench, armed=True))
        else:
            setups.append(lambda: setup_idle_hidden_daily(bench))
    if with_kshutdown:
        setups.append(lambda: setup_kshutdown(bench, hidden=False))
        setups.append(lambda: setup_kshutdown(bench, hidden=True))
    for state in ("warning_hidden", "warning_shown"):
        if state in mode.idle_states:
            setups.append(lambda hidden=(state == "warning_hidden"): setup_idle_warning(
                bench, mode.warning_lead, mode.idle_seconds, hidden))
    subjects = []
    for setup in setups:
        made = [setup()]
        if made[0].key == "hidden_daily":
            made.append(setup_reference(made[0].desktop))
        for subject in made:
            subject.start(mode.idle_seconds)
            subjects.append(subject)
            log(f"idle: {subject.label}: measuring")
    for subject in subjects:
        subject.join()
        log(f"idle: {subject.label}: {fmt(subject.cost.run_core_percent, 3)} % of a core, "
            f"{fmt(subject.cost.wakeups_per_min, 0)} wakeups/min")
    return {subject.key: subject for subject in subjects}


# -- 4. start-up --------------------------------------------------------------
@dataclass
class Startup:
    mapped_ms: float   # from just before the exec to the MapNotify of the window (or its frame)
    spawn_ms: float    # fork and exec as the benchmark saw them


def read_map_events(path):
    maps, reparents = [], []
    for line in Path(path).read_text().splitlines()[1:]:
        fields = line.split()
        if len(fields) >= 3 and fields[1] == "map":
            maps.append((float(fields[0]), int(fields[2], 16)))
        elif len(fields) >= 4 and fields[1] == "reparent":
            reparents.append((float(fields[0]), int(fields[2], 16), int(fields[3], 16)))
    return maps, reparents


def measure_startups(desktop, argv, count, find_main, label, log):
    """Starts argv `count` times, one after the other, each time waiting for its
    main window and ending it by its id."""
    watch_log = desktop.evidence / "map-watch.log"
    watch_log.unlink(missing_ok=True)
    with open(desktop.evidence / "map-watch.err", "wb") as err:
        desktop.spawn([sys.executable, str(MAP_WATCH), str(watch_log)], stderr=err)
    desktop.wait_for(lambda: watch_log.exists() and watch_log.read_text().startswith("ready"),
                     "the MapNotify watch")
    results = []
    for number in range(count):
        time.sleep(1.0)  # the previous run's exit has settled
        with open(desktop.evidence / f"start-{number + 1}.log", "wb") as out:
            before = time.monotonic()
            process = desktop.spawn(argv, stdout=out, stderr=subprocess.STDOUT)
            spawned = time.monotonic()
        try:
            window = int(desktop.wait_for(lambda: find_main(desktop, process),
                                          f"the main window of {label}", timeout=30), 0)
            maps, reparents = read_map_events(watch_log)
            frames = {window} | {parent for moment, child, parent in reparents
                                 if child == window and moment >= before}
            mapped = [moment for moment, mapped_window in maps
                      if mapped_window in frames and moment >= before]
            if not mapped:
                raise BenchError(f"no MapNotify of {label}'s window {window:#x} or its frame")
            result = Startup((min(mapped) - before) * 1000.0, (spawned - before) * 1000.0)
            results.append(result)
            log(f"start-up {number + 1}/{count} of {label}: mapped after "
                f"{result.mapped_ms:.0f} ms")
        finally:
            desktop.end(process)
    return results


def velmora_main_window(desktop, process):
    if process.poll() is not None:
        raise BenchError(f"the program ended at start with code {process.returncode}")
    window = desktop.find_window(process.pid, CAPTION)
    return window if window and desktop.is_viewable(window) else None


# -- the machine ------------------------------------------------------------------
def processor():
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor() or "unknown"


def load_average():
    return " ".join(Path("/proc/loadavg").read_text().split()[:3])


def cpu_line():
    """The machine's CPU time so far, all CPUs: user nice system idle iowait
    irq softirq steal, in clock ticks (/proc/stat)."""
    return [int(v) for v in Path("/proc/stat").read_text().split("\n", 1)[0].split()[1:9]]


def reference_work_ms():
    """CPU time a fixed piece of work takes here, the median of three: the
    same figure on another day or machine says how much faster the CPU was."""
    times = []
    for _ in range(3):
        start = time.process_time()
        total = 0
        for number in range(1_000_000):
            total += number * number
        times.append((time.process_time() - start) * 1000.0)
    return statistics.median(times)


class Phase:
    """How busy the machine was during one phase of the run: the share of
    every CPU's time that was busy (anyone's work, ours included) and that the
    hypervisor gave to someone else (steal), and the reference work's time at
    the phase's start."""

    def __init__(self, name, phases):
        self.name = name
        self._phases = phases

    def __enter__(self):
        self.reference_ms = reference_work_ms()
        self._began = time.monotonic()
        self._cpu = cpu_line()
        return self

    def __exit__(self, *exc):
        after = cpu_line()
        delta = [b - a for a, b in zip(self._cpu, after)]
        total = sum(delta) or 1
        user, nice, system, _idle, _iowait, irq, softirq, steal = delta
        self.seconds = time.monotonic() - self._began
        self.busy_percent = 100.0 * (user + nice + system + irq + softirq) / total
        self.steal_percent = 100.0 * steal / total
        self.load = load_average()
        self._phases.append(self)


def source_state():
    """The commit the working tree is at, and what of the program's sources
    differs from it (the benchmark's own files and report aside)."""
    def git(*argv):
        result = subprocess.run(["git", "-C", str(REPO), *argv], capture_output=True, text=True)
        return result.stdout.rstrip() if result.returncode == 0 else None

    commit = git("log", "-1", "--format=%h %s")
    if commit is None:
        return "not a git checkout"
    # The top-level CMakeLists.txt only adds bench/; nothing of the program.
    changed = git("status", "--porcelain", "--", ".", ":!bench", ":!docs/benchmarks.md",
                  ":!README.md", ":!CMakeLists.txt") or ""
    files = [line[3:] for line in changed.splitlines() if not line[3:].startswith("build")]
    return f"commit {commit}" + (f", with uncommitted changes in {', '.join(files)}"
                                 if files else ", no uncommitted changes to the sources")


def package_version(name):
    result = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], capture_output=True,
                            text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def build_type(program):
    for folder in Path(program).resolve().parents:
        cache = folder / "CMakeCache.txt"
        if cache.exists():
            values = {}
            for line in cache.read_text(errors="replace").splitlines():
                name, _, value = line.partition("=")
                values[name.split(":")[0]] = value
            return folder, values.get("CMAKE_BUILD_TYPE") or "(none)", values
    return None, "unknown", {}


def ensure_kshutdown(log):
    """Installs Debian's kshutdown package when it is missing; returns None or
    why it could not be had."""
    if shutil.which(KSHUTDOWN):
        return None
    log("kshutdown is missing: installing Debian's package")
    sudo = [] if os.geteuid() == 0 else ["sudo", "-n"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    install = [*sudo, "apt-get", "install", "-y", "-q", "--no-install-recommends", KSHUTDOWN]
    result = subprocess.run(install, env=env, capture_output=True, text=True)
    if result.returncode != 0:
        subprocess.run([*sudo, "apt-get", "update", "-q"], env=env, capture_output=True)
        result = subprocess.run(install, env=env, capture_output=True, text=True)
    if result.returncode != 0 or not shutil.which(KSHUTDOWN):
        return f"`{' '.join(install)}` failed: {result.stderr.strip()[-300:]}"
    return None


# -- the report -------------------------------------------------------------------
def verdict(value, limit):
    if value is None:
        return "no figure"
    return "met" if value <= limit else "**missed**"


def relative(path):
    path = Path(path).resolve()
    try:
        return str(path.relative_to(REPO))
    except ValueError:
        return str(path)


def write_report(path, run):
    """docs/benchmarks.md: what was measured, how, and against which target."""
    r = run
    lines = []
    add = lines.append
    add("# Benchmarks")
    add("")
    add(f"Generated by `bench/run_benchmarks.py` ({r['mode']} mode) on {r['date']}; the "
        "script rewrites this file on each full run, so edit the script, not the file.")
    add("")
    add("The real program runs under Xvfb with a window manager that has a tray, on a "
        "private session bus and a private system bus with python-dbusmock's logind "
        "template, with its home in a temporary folder "
        "(`tests/e2e/harness.py`). Power requests reach only the mock. A benchmark "
        "reports; it does not fail when a target is missed.")
    add("")
    add("## Machine and build")
    add("")
    add("| | |")
    add("|---|---|")
    add(f"| processor | {r['cpu']}, {os.cpu_count()} logical CPUs |")
    add(f"| system | {platform.system()} {platform.release()}, {r['distro']} |")
    add(f"| load average (1, 5, 15 min) | {r['load_start']} at the start, "
        f"{r['load_end']} at the end |")
    add(f"| program | `{relative(r['program'])}`, {r['build_type']} build, Qt {r['qt6']} |")
    add(f"| sources | {r['source']} |")
    if r.get("ks_version"):
        add(f"| KShutdown | {r['ks_version']} (Debian package), Qt {r['qt5']} |")
    add("")
    add("The machine is shared: other builds and tests may run while the benchmark "
        "measures, and it is a virtual machine whose host may be busy too. Each phase "
        "of the run records how busy all CPUs were (anyone's work, the benchmark's "
        "own included), the share the hypervisor gave elsewhere (steal), and how long "
        "a fixed piece of Python work took at its start: a larger reference time "
        "means a slower CPU for everything measured in that phase, CPU time per "
        "minute included.")
    add("")
    add("| phase | length | CPUs busy | steal | load average at the end | reference work |")
    add("|---|---|---|---|---|---|")
    for phase in r["phases"]:
        add(f"| {phase.name} | {phase.seconds:.0f} s | {phase.busy_percent:.0f} % | "
            f"{phase.steal_percent:.1f} % | {phase.load} | {phase.reference_ms:.0f} ms |")
    add("")
    add("## Commands")
    add("")
    add("```sh")
    for command in r["commands"]:
        add(command)
    add("```")
    add("")

    # Summary
    lat = r["latency"]
    lat_ms = [x.latency_ms for x in lat]
    median_ms, p95_ms, max_ms = (statistics.median(lat_ms), percentile(lat_ms, 0.95),
                                 max(lat_ms))
    stall = r["stall"]
    fired_once = sum(1 for s in stall if fired_once_in(s))
    idle = r["idle"]
    ups = r["startups"]
    up_median = statistics.median(u.mapped_ms for u in ups)
    hwm_mb = idle["shown"].hwm_kb / 1024.0 if idle["shown"].hwm_kb else None
    hidden = idle["hidden_daily"].cost
    warnings = [idle[k] for k in ("warning_hidden", "warning_shown") if k in idle]
    add("## Summary")
    add("")
    add("| measurement | result | target | |")
    add("|---|---|---|---|")
    add(f"| 1. firing latency, median of {len(lat_ms)} | {median_ms:.1f} ms | ≤ "
        f"{TARGETS['latency_median_ms']:.0f} ms | "
        f"{verdict(median_ms, TARGETS['latency_median_ms'])} |")
    add(f"| 1. firing latency, maximum | {max_ms:.1f} ms | ≤ {TARGETS['latency_max_ms']:.0f} ms "
        f"| {verdict(max_ms, TARGETS['latency_max_ms'])} |")
    add(f"| 2. stopped 3 s across the target, fired once | {fired_once} of {len(stall)} | "
        f"{len(stall)} of {len(stall)} | {'met' if fired_once == len(stall) else '**missed**'} |")
    add(f"| 3b. hidden, daily task armed: CPU per minute (`/proc/PID/stat`) | "
        f"{hidden.cpu_s_per_min:.3f} s | ≤ {TARGETS['hidden_cpu_s_per_min']} s | "
        f"{verdict(hidden.cpu_s_per_min, TARGETS['hidden_cpu_s_per_min'])} |")
    add(f"| 3b. the same, from the scheduler's nanosecond count | {hidden.run_s_per_min:.4f} s "
        f"| ≤ {TARGETS['hidden_cpu_s_per_min']} s | "
        f"{verdict(hidden.run_s_per_min, TARGETS['hidden_cpu_s_per_min'])} |")
    add(f"| 3b. hidden, daily task armed: wakeups per minute, every thread | "
        f"{hidden.wakeups_per_min:.0f} | ≤ {TARGETS['hidden_wakeups_per_min']:.0f} | "
        f"{verdict(hidden.wakeups_per_min, TARGETS['hidden_wakeups_per_min'])} |")
    add(f"| 3b. the same, main thread only | {hidden.main_wakeups_per_min:.0f} | ≤ "
        f"{TARGETS['hidden_wakeups_per_min']:.0f} | "
        f"{verdict(hidden.main_wakeups_per_min, TARGETS['hidden_wakeups_per_min'])} |")
    if "reference" in idle:
        ref = idle["reference"].cost
        add(f"| 3b. for scale, in the same minute: a process that only wakes each second "
            f"| {ref.cpu_s_per_min:.3f} s (stat), {ref.run_s_per_min:.4f} s (scheduler), "
            f"{ref.wakeups_per_min:.0f} wakeups | no target | |")
    for subject in warnings:
        cost = subject.cost
        worse = max(cost.core_percent, cost.run_core_percent)
        add(f"| 3c. {subject.label}: share of one core | {cost.core_percent:.3f} % "
            f"(scheduler: {cost.run_core_percent:.3f} %) | ≤ "
            f"{TARGETS['warning_core_percent']:.0f} % | "
            f"{verdict(worse, TARGETS['warning_core_percent'])} |")
    add(f"| 4. start-up to the mapped window, median of {len(ups)} | {up_median:.0f} ms | ≤ "
        f"{TARGETS['startup_ms']:.0f} ms | {verdict(up_median, TARGETS['startup_ms'])} |")
    add(f"| 4. VmHWM {HWM_AFTER:.0f} s after the start | {fmt(hwm_mb)} MiB | ≤ "
        f"{TARGETS['hwm_mb']:.0f} MiB | {verdict(hwm_mb, TARGETS['hwm_mb'])} |")
    if r.get("ks"):
        add("| 5. KShutdown side by side | see below | ratios, no target | |")
    add("")

    # 1
    add("## 1. Firing latency")
    add("")
    add(f"One program, {len(lat)} countdown{plural(len(lat))} of {COUNTDOWN_SECONDS} s, "
        "each started with "
        "启动 clicked 0.4 s into a wall-clock second, the action 关机 with no session "
        "manager on the session bus, so the program asks logind for `PowerOff(false)`.")
    add("")
    add("- **The target second** is the program's own: after the watcher's first tick "
        "the benchmark clicks 保存 and reads the armed target's text from slot 6 of "
        "`delp.ini`, then takes the second, among those around the clicked second plus "
        "the countdown (the countdown counts from LastClockReading, the clock's reading "
        "at the start of the clicked second), whose text it is. "
        f"It was the clicked second plus {COUNTDOWN_SECONDS} s in "
        f"{sum(1 for x in lat if x.target == x.derived_target)} of {len(lat)} runs.")
    add("- **The arrival** is the time python-dbusmock writes into its call log when it "
        "dispatches the call (`time.time()`, to the millisecond).")
    add("- **Latency** = arrival − start of the target second, on the same clock "
        "(both processes read the machine's wall clock). The 95th percentile is the "
        "nearest-rank one.")
    add("- The program's watchers are timed to tick a few milliseconds after each "
        "wall-clock second begins (`app/schedule_step.cpp`), so those milliseconds of "
        "each figure are by design; the rest is the tick itself, the session bus's "
        "`ListNames` (is there a session manager?) and the call to the mock.")
    add("")
    add("| median | 95th percentile | maximum | minimum | repeated requests |")
    add("|---|---|---|---|---|")
    add(f"| {median_ms:.1f} ms | {p95_ms:.1f} ms | {max_ms:.1f} ms | {min(lat_ms):.1f} ms | "
        f"{sum(x.extra_calls for x in lat)} |")
    add("")
    add("Each run, in ms: " + ", ".join(f"{x:.0f}" for x in lat_ms) + ".")
    add("")

    # 2
    add("## 2. A stalled machine")
    add("")
    add(f"The same program, {len(stall)} countdown{plural(len(stall))} of "
        f"{STALL_COUNTDOWN_SECONDS} s: SIGSTOP "
        f"{STALL_SECONDS / 2:.1f} s before the target second, SIGCONT {STALL_SECONDS / 2:.1f} s "
        "after it, then 3 s to see what reaches the mock. Fired once = exactly one power "
        "request, none before SIGCONT. The moment of SIGCONT is read just before the "
        "signal is sent, and the process state just before that (`T`, stopped, in every "
        "run unless the table says otherwise); a request the mock logs (to the "
        "millisecond, rounded) more than 0.5 ms before it counts as before SIGCONT.")
    add("")
    add("| run | state before SIGCONT | requests | before SIGCONT | first request after SIGCONT |")
    add("|---|---|---|---|---|")
    for number, s in enumerate(stall, 1):
        add(f"| {number} | {s.stopped_state} | {s.calls} | {s.during_stop} | "
            f"{fmt(s.after_continue_ms, 0) + ' ms' if s.after_continue_ms is not None else '-'} |")
    add("")
    add(f"Fired once: **{fired_once} of {len(stall)}**.")
    add("")

    # 3
    add("## 3. Idle cost")
    add("")
    add(f"Each state on a desktop of its own, all measured side by side; each window "
        f"starts {SETTLE:.0f} s after the state is reached and lasts "
        f"{r['idle_seconds']:.0f} s. Between a reading at the start and one at the end:")
    add("")
    add("- **CPU (stat)**: utime + stime of `/proc/PID/stat`, counted in clock ticks of "
        f"1/{CLOCK_TICKS} s, so a minute's figure moves in steps of "
        f"{60.0 / r['idle_seconds'] / CLOCK_TICKS:.3f} s here.")
    add("- **CPU (scheduler)**: the first field of `/proc/PID/task/*/schedstat`, the "
        "nanoseconds each thread ran, summed over the threads.")
    add("- **Wakeups**: `voluntary_ctxt_switches` of `/proc/PID/task/*/status` summed over "
        "every thread (each is a sleep the thread chose and woke from), and of "
        "`/proc/PID/status`, the main thread alone.")
    add("")
    add("| state | CPU s/min (stat) | CPU s/min (scheduler) | % of one core | wakeups/min, "
        "all threads | main thread | threads | VmRSS |")
    add("|---|---|---|---|---|---|---|---|")
    for key, subject in idle.items():
        c = subject.cost
        add(f"| {subject.label} | {c.cpu_s_per_min:.3f} | {c.run_s_per_min:.4f} | "
            f"{c.run_core_percent:.3f} | {c.wakeups_per_min:.0f} | {c.main_wakeups_per_min:.0f} | "
            f"{c.threads} | {c.rss_mb:.1f} MiB |")
    add("")
    add("The reference row is a Python process on the same machine in the same "
        "minute that sleeps until 5 ms after each wall-clock second and does nothing "
        "else: what a single wakeup a second costs here, whoever wakes. Read second by "
        "second (the scheduler's count at each second of the window), the states that "
        "wake about once a second cost:")
    add("")
    add("| state | median second | 90th percentile | maximum second | median × 60 |")
    add("|---|---|---|---|---|")
    every_second = [*(s for s in idle.values() if s.seconds_ms),
                    *(s for s in (r.get("ks") or {}).values()
                      if isinstance(s, IdleSubject) and s.seconds_ms)]
    for subject in every_second:
        ms = subject.seconds_ms
        add(f"| {subject.label} | {statistics.median(ms):.2f} ms | {percentile(ms, 0.9):.2f} ms "
            f"| {max(ms):.2f} ms | {statistics.median(ms) * 60 / 1000:.4f} s |")
    add("")
    reference = idle.get("reference")
    if reference and reference.seconds_ms:
        ms = reference.seconds_ms
        if max(ms) > 10 * statistics.median(ms):
            add(f"In this run the reference process, which does nothing but wake, had "
                f"seconds of up to {max(ms):.1f} ms against a median second of "
                f"{statistics.median(ms):.2f} ms: seconds like that come from the machine, "
                "not from the program that happens to be awake. The per-minute figures "
                "above include such seconds as they came; the median column shows the "
                "cost of a typical second.")
        else:
            add(f"In this run the reference process's dearest second cost {max(ms):.2f} ms "
                f"(median {statistics.median(ms):.2f} ms): the machine added little.")
    add("")
    add("\"% of one core\" is the scheduler's figure. The warning states: a countdown "
        f"with the warning ticked and a lead of {r['warning_lead']} s; the window lies inside "
        "the warning's count and the program is ended by its id before the target, so "
        "the action never fires.")
    notes = [f"{s.label}: {note}" for s in idle.values() for note in s.notes]
    if notes:
        add("")
        for note in notes:
            add(f"- {note}")
    add("")

    # 4
    add("## 4. Start-up")
    add("")
    add(f"{len(ups)} starts one after the other on one desktop (the first from cold "
        "caches, the others warm), each ended by its id once its window is mapped. "
        "A small X client (`bench/map_watch.py`, Xlib through ctypes) waits in "
        "XNextEvent for the root window's SubstructureNotify events and writes the "
        "monotonic time of each MapNotify and ReparentNotify as it reads it; the start-up "
        "is from just before `fork`/`exec` to the MapNotify of the frame the window "
        "manager put the main window in. That includes the fork and exec themselves "
        f"(median {statistics.median(u.spawn_ms for u in ups):.1f} ms here) and the "
        "window manager's reparenting.")
    add("")
    add("| median | minimum | maximum | each start |")
    add("|---|---|---|---|")
    add(f"| {up_median:.0f} ms | {min(u.mapped_ms for u in ups):.0f} ms | "
        f"{max(u.mapped_ms for u in ups):.0f} ms | "
        + ", ".join(f"{u.mapped_ms:.0f}" for u in ups) + " |")
    add("")
    add(f"VmHWM (`/proc/PID/status`) {HWM_AFTER:.0f} s after the exec of the program of "
        f"state 3a (a fresh start, window shown): **{fmt(hwm_mb)} MiB**.")
    if hwm_mb is not None:
        add(f"/proc counts memory in kB of 1024 bytes: {hwm_mb:.1f} MiB are "
            f"{hwm_mb * 1.048576:.1f} MB of 10^6 bytes. The target's 40 MB is read as MiB.")
    memory = idle["shown"].memory_kb
    if memory:
        add(f"At that moment VmRSS was {memory['VmRSS'] / 1024.0:.1f} MiB: "
            f"{memory['RssAnon'] / 1024.0:.1f} MiB anonymous (heap, stacks), "
            f"{memory['RssFile'] / 1024.0:.1f} MiB of mapped files (the program, Qt and the "
            f"other libraries' pages it touched, shared with other processes that map "
            f"them) and {memory['RssShmem'] / 1024.0:.1f} MiB shared memory (X images).")
    add("")

    # 5
    add("## 5. Side by side with KShutdown")
    add("")
    if r.get("ks_error"):
        add(f"Not measured: {r['ks_error']}")
        add("")
    elif r.get("ks"):
        ks = r["ks"]
        ks_up = statistics.median(u.mapped_ms for u in ks["startups"])
        ks_hwm = ks["shown"].hwm_kb / 1024.0 if ks["shown"].hwm_kb else None
        add("KShutdown runs exactly as Velmora does, on desktops of its own with the "
            "same private buses and mock logind (it asks the mock CanHibernate and "
            "CanSuspend at start, and nothing else). It is started as `kshutdown --test "
            "60`: its test action, \"Show Message (no shutdown)\", armed with a countdown "
            "of 60 minutes, which its window title confirms (\"Remaining time\"); for the "
            "tray, `kshutdown --init --test 60`, which starts it with the window hidden. "
            f"Its start-ups are measured the same way, {len(ks['startups'])} on one desktop, "
            "each started as `kshutdown --test 60`.")
        add("")
        add("| | Velmora | KShutdown | Velmora ÷ KShutdown |")
        add("|---|---|---|---|")

        def row(name, ours, theirs, unit, digits=1):
            ratio = f"{ours / theirs:.2f}" if ours is not None and theirs else "n/a"
            unit = f" {unit}" if unit else ""
            add(f"| {name} | {fmt(ours, digits)}{unit} | {fmt(theirs, digits)}{unit} | "
                f"{ratio} |")

        row("start-up to the mapped window, median", up_median, ks_up, "ms", 0)
        row(f"VmHWM {HWM_AFTER:.0f} s after the start", hwm_mb, ks_hwm, "MiB")
        pairs = [("window shown, a countdown armed", idle.get("shown_armed"), ks["shown"]),
                 ("hidden in the tray, a task armed", idle["hidden_daily"], ks["hidden"])]
        for name, ours, theirs in pairs:
            if ours is None:
                continue
            row(f"{name}: CPU per minute (scheduler)", ours.cost.run_s_per_min,
                theirs.cost.run_s_per_min, "s", 4)
            row(f"{name}: CPU per minute (stat)", ours.cost.cpu_s_per_min,
                theirs.cost.cpu_s_per_min, "s", 3)
            row(f"{name}: wakeups per minute, all threads", ours.cost.wakeups_per_min,
                theirs.cost.wakeups_per_min, "", 0)
            row(f"{name}: wakeups per minute, main thread", ours.cost.main_wakeups_per_min,
                theirs.cost.main_wakeups_per_min, "", 0)
        add("")
        add("Velmora's hidden state has a daily task armed and KShutdown's a countdown; "
            "each program watches its one task with the same kind of timer either way. "
            "A ratio below 1 means Velmora needs less.")
        add("")
    else:
        add("Not measured in this mode.")
        add("")
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    Path(path).write_text("\n".join(lines), encoding="utf-8")


# -- the run --------------------------------------------------------------------
def _interrupted(*_):
    raise KeyboardInterrupt("ended by SIGTERM")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True, help="the velmora executable")
    parser.add_argument("--short", action="store_true",
                        help="every measurement briefly, no KShutdown; for CI")
    parser.add_argument("--output", help="the report (default: docs/benchmarks.md in the "
                                         "full mode, none in the short mode)")
    parser.add_argument("--artifacts", help="where the desktops' logs go (default: "
                                            "bench-artifacts in the program's build folder)")
    args = parser.parse_args()
    mode = SHORT if args.short else FULL
    program = str(Path(args.program).resolve())
    build_folder, kind, cache = build_type(program)
    artifacts = Path(args.artifacts or (build_folder or Path(program).parent) /
                     "bench-artifacts").resolve()
    artifacts.mkdir(parents=True, exist_ok=True)
    output = args.output or (None if args.short else str(REPO / "docs" / "benchmarks.md"))
    signal.signal(signal.SIGTERM, _interrupted)
    began = time.monotonic()

    def log(text):
        print(f"[{time.monotonic() - began:6.1f} s] {text}", flush=True)

    run = {"mode": mode.name, "program": program, "build_type": kind,
           "date": datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z"),
           "cpu": processor(), "load_start": load_average(), "source": source_state(),
           "qt6": package_version("libqt6core6") or "6", "qt5": package_version("libqt5core5a"),
           "idle_seconds": mode.idle_seconds, "warning_lead": mode.warning_lead,
           "distro": platform.freedesktop_os_release().get("PRETTY_NAME", "")
           if hasattr(platform, "freedesktop_os_release") else ""}
    log(f"{mode.name} run of {program} ({kind} build), load {run['load_start']}")
    with_kshutdown = False
    if mode.kshutdown:
        run["ks_error"] = ensure_kshutdown(log)
        with_kshutdown = run["ks_error"] is None
        run["ks_version"] = package_version(KSHUTDOWN) if with_kshutdown else None

    phases = run["phases"] = []
    with contextlib.ExitStack() as stack:
        bench = Bench(program, artifacts, stack)
        with Phase("3, 5: idle states", phases):
            idle = measure_idle(bench, mode, with_kshutdown, log)
            for subject in idle.values():
                subject.desktop.close()  # the next phases measure time: nothing else of ours runs
        run["idle"] = {k: v for k, v in idle.items() if not k.startswith("ks_")}
        if with_kshutdown:
            run["ks"] = {"shown": idle["ks_shown"], "hidden": idle["ks_hidden"]}

        desktop = bench.desktop("latency")
        velmora = bench.start_velmora(desktop)
        with Phase("1: firing latency", phases):
            run["latency"] = measure_latency(bench, velmora, mode.countdowns, log)
        with Phase("2: stalled", phases):
            run["stall"] = measure_stall(bench, velmora, mode.stall_runs, log)
        desktop.close()

        desktop = bench.desktop("startup")
        with Phase("4: start-up", phases):
            run["startups"] = measure_startups(desktop, [program], mode.startups,
                                               velmora_main_window, "Velmora", log)
        desktop.close()
        if with_kshutdown:
            desktop = bench.desktop("startup-kshutdown")
            with Phase("5: KShutdown start-up", phases):
                run["ks"]["startups"] = measure_startups(desktop, KSHUTDOWN_ARMED,
                                                         mode.startups, kshutdown_main_window,
                                                         "KShutdown", log)
            desktop.close()
    run["load_end"] = load_average()

    script = relative(__file__)
    argv = ["/usr/bin/python3", script, "--program", relative(program)]
    if args.short:
        argv.append("--short")
    if args.output:
        argv += ["--output", relative(args.output)]
    build = relative(build_folder) if build_folder else "BUILD"
    run["commands"] = [
        f"cmake -S . -B {build} -G {cache.get('CMAKE_GENERATOR', 'Ninja')} "
        f"-DVELMORA_WERROR=ON -DCMAKE_BUILD_TYPE={kind}",
        f"cmake --build {build} --target velmora",
        " ".join(argv),
    ]
    if with_kshutdown:
        run["commands"].insert(0, "sudo apt-get install --no-install-recommends kshutdown"
                                  "  # the script does this when it is missing")

    check_numbers(run)
    if output:
        write_report(output, run)
        log(f"wrote {output}")
    summarise(run, log)
    log(f"done, load {run['load_end']}")
    return 0


def check_numbers(run):
    """Every measurement produced its numbers: a finite figure for each."""
    figures = [x.latency_ms for x in run["latency"]]
    figures += [u.mapped_ms for u in run["startups"]]
    for subject in run["idle"].values():
        c = subject.cost
        figures += [c.cpu_s_per_min, c.run_s_per_min, c.wakeups_per_min, c.main_wakeups_per_min]
    if run["idle"]["shown"].hwm_kb is None:
        raise BenchError("no VmHWM was read")
    if not run["stall"]:
        raise BenchError("no stall run")
    bad = [f for f in figures if f is None or not math.isfinite(f)]
    if bad or not figures:
        raise BenchError(f"measurements without a usable number: {bad}")


def summarise(run, log):
    lat = [x.latency_ms for x in run["latency"]]
    log(f"latency: median {statistics.median(lat):.1f} ms, p95 {percentile(lat, 0.95):.1f} ms, "
        f"max {max(lat):.1f} ms over {len(lat)}")
    once = sum(1 for s in run["stall"] if fired_once_in(s))
    log(f"stalled: fired once in {once} of {len(run['stall'])}")
    for subject in run["idle"].values():
        c = subject.cost
        log(f"idle {subject.key}: {c.cpu_s_per_min:.3f} s/min (stat), {c.run_s_per_min:.4f} "
            f"s/min (scheduler), {c.wakeups_per_min:.0f} wakeups/min "
            f"(main thread {c.main_wakeups_per_min:.0f})")
    ups = [u.mapped_ms for u in run["startups"]]
    log(f"start-up: median {statistics.median(ups):.0f} ms of {len(ups)}; VmHWM "
        f"{run['idle']['shown'].hwm_kb / 1024.0:.1f} MiB")
    if run.get("ks"):
        ks = run["ks"]
        log(f"KShutdown: start-up median "
            f"{statistics.median(u.mapped_ms for u in ks['startups']):.0f} ms, VmHWM "
            f"{ks['shown'].hwm_kb / 1024.0:.1f} MiB, shown {ks['shown'].cost.run_s_per_min:.4f} "
            f"s/min {ks['shown'].cost.wakeups_per_min:.0f} wakeups/min, hidden "
            f"{ks['hidden'].cost.run_s_per_min:.4f} s/min "
            f"{ks['hidden'].cost.wakeups_per_min:.0f} wakeups/min")


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (BenchError, AssertionError) as error:  # the harness's waits raise the second
        sys.exit(f"benchmark failed: {error}")
