"""What the end-to-end scenarios share: where the main window's controls are,
a driver that uses them as a person does, and a test case that gives each test
a desktop of its own and keeps the evidence of a failure.

Each test file runs as
  test_X.py --program path/to/velmora --artifacts folder [unittest arguments]
and, when a test fails, leaves in folder/<Class.test>/ a screenshot of what the
screen showed at that moment, the program's output and the mock logind's call
log, and prints their paths.
"""

import argparse
import datetime
import shutil
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

from harness import Desktop

CAPTION = "Velmora 原创By: Quorin"
CLIENT_SIZE = (560, 424)
WARNING_CAPTION = "提示！"
WARNING_SIZE = (239, 85)
NOTICE_TITLE = "信息提示!"

SETTINGS_FILE = "delp.ini"                  # in XDG_CONFIG_HOME
AUTOSTART_ENTRY = "autostart/velmora.desktop"  # in XDG_CONFIG_HOME

ACTIONS = ["关机", "重启", "注销", "强制关机", "关闭显示器"]
REPETITIONS = ["执行一次", "每日定时", "每周定时"]

# The main window's controls in client coordinates (x, y, width, height). The
# layout is fixed: controls inside 关机设定 (at 8, 96) and 电脑执行方式 (at 8,
# 272) are placed relative to their group box and are given here on the window.
CONTROLS = {
    "clock_time": (24, 116, 24, 20),        # 单选框定时
    "date": (136, 112, 144, 24),            # 日期框1
    "hour": (288, 112, 32, 24),             # 编辑框时 (spin arrows to its right)
    "minute": (360, 112, 32, 24),           # 编辑框时分
    "second": (432, 112, 32, 24),           # 编辑框时秒
    "after_boot": (24, 152, 24, 24),        # 单选框开机后定时
    "boot_hours": (136, 152, 80, 24),       # 编辑框开机后时
    "boot_minutes": (304, 152, 80, 24),     # 编辑框开机后分
    "countdown": (24, 192, 24, 24),         # 单选框倒计时关机
    "countdown_hours": (136, 192, 64, 24),  # 编辑框倒计时
    "countdown_minutes": (280, 192, 64, 24),  # 编辑框倒计分
    "countdown_seconds": (410, 192, 64, 24),  # 编辑框倒计秒
    "action": (120, 296, 152, 20),          # 组合框1
    "repetition": (376, 296, 152, 20),      # 组合框2
    "warn": (32, 328, 16, 24),              # 选择框关机提示
    "lead": (272, 336, 64, 24),             # 编辑框关机提示秒
    "start": (8, 384, 72, 32),              # 按钮执行 启动
    "cancel": (102, 384, 72, 32),           # 按钮取消 取消
    "save": (196, 384, 72, 32),             # 按钮保存 保存
    "skin": (290, 384, 72, 32),             # 按钮皮肤 换肤
    "execute_now": (384, 384, 72, 32),      # 按钮保存立即执行 立即执行
    "exit": (480, 384, 72, 32),             # 按钮退出 退出
}

TEST_TIME_LIMIT = 90  # seconds a single test may take; ctest's limit lies above


def date_text(day):
    """A date as the date box and the settings file write it: 2024年5月1日."""
    return f"{day.year}年{day.month}月{day.day}日"


def local_zone():
    """A fixed-offset time zone in which it is now between 10 and 14 o'clock,
    as (TZ value, offset). Scenarios that set a clock time a few seconds ahead
    then never cross midnight nor meet an hour of 0, which the hour box does
    not take."""
    utc = datetime.datetime.now(datetime.timezone.utc)
    hours = 12 - utc.hour  # -11 ... 12
    # POSIX counts the offset west of Greenwich: "VEL-3" is three hours ahead.
    return f"VEL{-hours:+d}", datetime.timedelta(hours=hours)


class Velmora:
    """The running program, used as a person uses it: clicks and keys at the
    fixed layout's places, and what the screen and the files show."""

    def __init__(self, desktop, process, window, today):
        self.desktop = desktop
        self.process = process
        self.window = window
        self.today = today  # the date box's first date

    @property
    def pid(self):
        return self.process.pid

    def centre(self, name):
        x, y, width, height = CONTROLS[name]
        return x + width // 2, y + height // 2

    def click(self, name, repeat=1):
        self.desktop.click(self.window, *self.centre(name), repeat=repeat)

    def press_within_second(self, name, fraction=0.4):
        """Clicks the control `fraction` of a second after a wall-clock second
        begins, and returns that second (seconds since the epoch). The program
        counts a countdown from its clock's last tick, at the start of each
        second: a click well inside a second leaves no doubt which one it was."""
        self.desktop.run(["xdotool", "mousemove", "--window", self.window,
                          *map(str, self.centre(name))])
        second = int(time.time()) + 1
        wait_until(second + fraction)
        self.desktop.run(["xdotool", "click", "1"])
        after = time.time()
        if int(after) != second:
            raise AssertionError(f"the click took until {after - second:.3f} s into the second; "
                                 "the machine is too slow to tell which second it fell in")
        return second

    def keys(self, *keys):
        self.desktop.run(["xdotool", "key", "--delay", "30", *keys])

    def type_into(self, name, text):
        """Replaces the text of an edit box by typing: click into it, select
        everything, type."""
        self.click(name)
        self.keys("ctrl+a")
        if text:
            self.desktop.run(["xdotool", "type", "--delay", "30", text])
        else:
            self.keys("BackSpace")

    def choose(self, combo, index):
        """Selects item `index` of a drop-down box with the arrow keys, from
        the top of its list."""
        count = len(ACTIONS if combo == "action" else REPETITIONS)
        self.click(combo)
        self.keys(*["Up"] * count, *["Down"] * index)

    def set_date(self, day):
        """Sets the date box section by section with the arrow keys: the year
        first, then the month (Tab), then the day (Tab)."""
        x, y, _, height = CONTROLS["date"]
        shown = self.today
        self.desktop.click(self.window, x + 12, y + height // 2)  # the year's digits
        self.keys(*self._steps(day.year - shown.year))
        self.keys("Tab", *self._steps(day.month - shown.month))
        # The day last: stepping the month may have cut it to the month's end.
        self.keys("Tab", *["Down"] * 31, *["Up"] * (day.day - 1))

    @staticmethod
    def _steps(delta):
        return ["Up"] * delta if delta > 0 else ["Down"] * -delta

    def tray_icons(self):
        return self.desktop.tray_icons(self.pid)

    def message_box(self, title, timeout=10):
        """The message box of that title the program shows, once it is up."""
        return self.desktop.wait_for(lambda: self.desktop.find_window(self.pid, title),
                                     f"a message box titled {title}", timeout=timeout)

    def answer(self, title, key="Return"):
        box = self.message_box(title)
        self.desktop.key(box, key)
        self.desktop.wait_for(lambda: not self.desktop.find_window(self.pid, title),
                              f"the message box {title} to go")


class Scenario(unittest.TestCase):
    """A desktop of its own for each test, with the mock logind unless the
    class says otherwise; the evidence of a failed test is kept."""

    program = None    # set by main()
    artifacts = None  # set by main()
    logind = True
    session_mocks = ()  # templates of mocks to run on the session bus

    def setUp(self):
        self.evidence = self.artifacts / self.id().split(".", 1)[1]
        shutil.rmtree(self.evidence, ignore_errors=True)
        self.evidence.mkdir(parents=True)
        self.zone, self.offset = local_zone()
        self.desktop = Desktop(logind=self.logind, evidence=self.evidence,
                               tz=self.zone, session_mocks=self.session_mocks)
        self.addCleanup(self._finish)
        signal.signal(signal.SIGALRM, self._too_long)
        signal.alarm(TEST_TIME_LIMIT)
        self._starts = 0
        self.desktop.__enter__()

    def _too_long(self, *_):
        raise AssertionError(f"the test took longer than {TEST_TIME_LIMIT} s")

    def _has_failed(self):
        result = self._outcome.result if self._outcome else None
        if result is None:
            return True  # keep the evidence when in doubt
        return any(test is self or getattr(test, "test_case", None) is self  # a subTest
                   for test, _ in [*result.failures, *result.errors])

    def _finish(self):
        signal.alarm(0)
        failed = self._has_failed()
        try:
            if failed and self.desktop.env:
                shot = self.evidence / "screen.png"
                try:
                    self.desktop.screenshot(shot)
                except Exception as error:  # the X server may be what failed
                    (self.evidence / "screen.txt").write_text(f"no screenshot: {error}\n")
        finally:
            self.desktop.close()
        if failed:
            print(f"\n{self.id()} failed; what the user saw and the logs:", file=sys.stderr)
            for path in sorted(self.evidence.iterdir()):
                print(f"  {path}", file=sys.stderr)
        else:
            shutil.rmtree(self.evidence, ignore_errors=True)

    # -- the program ------------------------------------------------------
    def local_now(self):
        """Now as the program reads its clock, in the desktop's time zone."""
        return datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None) + self.offset

    def epoch_of(self, local):
        """A moment on the program's clock as seconds since the epoch."""
        return (local - self.offset).replace(tzinfo=datetime.timezone.utc).timestamp()

    def start_program(self, argv=None):
        """Starts the program (or argv, e.g. an autostart entry's command) and
        waits for its main window."""
        self._starts += 1
        name = f"program-{self._starts}"
        with open(self.evidence / f"{name}.out", "wb") as out, \
                open(self.evidence / f"{name}.err", "wb") as err:
            process = self.desktop.spawn(argv or [self.program], stdout=out, stderr=err)

        def shown():
            if process.poll() is not None:
                self.fail(f"the program ended at start with code {process.returncode}; "
                          f"see {self.evidence / name}.err")
            window = self.desktop.find_window(process.pid, CAPTION)
            return window if window and self.desktop.is_viewable(window) else None

        window = self.desktop.wait_for(shown, "the main window")
        return Velmora(self.desktop, process, window, self.local_now().date())

    def exit_program(self, velmora):
        """退出, as the user ends the program; returns its exit code."""
        velmora.click("exit")
        try:
            return velmora.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end within 10 s of 退出")

    # -- what the system and the files show -------------------------------
    def config_path(self, relative):
        return Path(self.desktop.env["XDG_CONFIG_HOME"]) / relative

    def settings_bytes(self):
        path = self.config_path(SETTINGS_FILE)
        return path.read_bytes() if path.exists() else None

    def settings_slots(self):
        """The settings file's slots, 配置1 ... by number, as texts."""
        data = self.settings_bytes()
        self.assertIsNotNone(data, "no settings file")
        slots = {}
        section = None
        for line in data.decode("gbk").split("\r\n"):
            if line.startswith("[配置") and line.endswith("]"):
                section = int(line[3:-1])
            elif line.startswith("配置=") and section is not None:
                slots[section] = line[3:]
        return slots

    def settle(self, condition, timeout=2.0):
        """Gives the program up to timeout seconds to make condition true, and
        leaves it to the assertions that follow to say what is wrong if not."""
        deadline = time.monotonic() + timeout
        while not condition() and time.monotonic() < deadline:
            time.sleep(0.05)

    def wait_for_call(self, *methods, timeout=10):
        """The first call of one of methods the mock logind has received."""
        calls = self.desktop.wait_for(lambda: self.desktop.logind.calls_of(*methods),
                                      f"a call of {' or '.join(methods)} at the mock logind",
                                      timeout=timeout)
        return calls[0]

    def log(self, text):
        print(f"[{self.id().split('.', 1)[1]}] {text}", file=sys.stderr)
        with open(self.artifacts / "measurements.log", "a", encoding="utf-8") as out:
            out.write(f"{datetime.datetime.now().isoformat(timespec='seconds')} "
                      f"{self.id().split('.', 1)[1]}: {text}\n")


def wait_until(moment):
    """Sleeps until time.time() reaches moment."""
    while True:
        left = moment - time.time()
        if left <= 0:
            return
        time.sleep(min(left, 0.2))


def _interrupted(*_):
    # Not SystemExit: unittest would take that for one test's error and go on
    # with the next. The harness ends every process on the way out.
    raise KeyboardInterrupt("ended by SIGTERM")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--artifacts", required=True)
    args, rest = parser.parse_known_args()
    Scenario.program = str(Path(args.program).resolve())
    Scenario.artifacts = Path(args.artifacts).resolve()
    Scenario.artifacts.mkdir(parents=True, exist_ok=True)
    fonts = subprocess.run(["fc-list", ":lang=zh", "family"], capture_output=True, text=True)
    if not fonts.stdout.strip():
        sys.exit("no font with Chinese characters (fonts-wqy-microhei): every caption would "
                 "show as boxes; scripts/install-deps.sh test installs one")
    # ctest's timeout may end the runner with SIGTERM.
    signal.signal(signal.SIGTERM, _interrupted)
    unittest.main(module="__main__", argv=[sys.argv[0], *rest], verbosity=2)
