"""A daily task survives the end of the program: started with 每日定时 it writes
the logon entry and its record, and the program started again from that entry
fires it at its time. Cancelled, it is gone for good."""

import datetime
import re
import shlex
import time

from scenario import AUTOSTART_ENTRY, NOTICE_TITLE, Scenario, date_text, main

LATENCY_LIMIT = 2.0
LEAD = 20  # seconds between setting the task's time and the time itself


def exec_arguments(value):
    """The arguments of a desktop entry's Exec value: its string escapes undone,
    then its quoting, then the literal percent signs."""
    escapes = {"s": " ", "n": "\n", "t": "\t", "r": "\r"}
    command = re.sub(r"\\(.)", lambda m: escapes.get(m[1], m[1]), value)
    return [argument.replace("%%", "%") for argument in shlex.split(command)]


class DailyTask(Scenario):
    def arm_daily(self, velmora):
        """Sets a daily task LEAD seconds ahead and starts it; returns its
        moment on the program's clock and as seconds since the epoch."""
        moment = (self.local_now() + datetime.timedelta(seconds=LEAD)).replace(microsecond=0)
        epoch = self.epoch_of(moment)
        velmora.click("clock_time")
        velmora.type_into("hour", str(moment.hour))
        velmora.type_into("minute", str(moment.minute))
        velmora.type_into("second", str(moment.second))
        velmora.choose("repetition", 1)  # 每日定时
        velmora.click("start")
        self.desktop.wait_for(lambda: self.config_path(AUTOSTART_ENTRY).exists(),
                              "the autostart entry")
        # The record is written right after the entry.
        self.settle(lambda: self.settings_bytes() and self.settings_slots().get(20) == "1")
        return moment, epoch

    def autostart_command(self):
        """The command line of the autostart entry, as a session starts it."""
        entry = self.config_path(AUTOSTART_ENTRY).read_text(encoding="utf-8")
        fields = dict(line.split("=", 1) for line in entry.splitlines() if "=" in line)
        self.assertTrue(entry.startswith("[Desktop Entry]\n"), entry)
        self.assertEqual(fields.get("Type"), "Application", entry)
        self.assertNotIn("Hidden", fields, entry)
        return exec_arguments(fields["Exec"])

    def assert_record(self, moment, daily_marker):
        slots = self.settings_slots()
        self.assertEqual([slots.get(n) for n in range(16, 22)],
                         [date_text(moment.date()), str(moment.hour), str(moment.minute),
                          str(moment.second), daily_marker, "0"])

    def test_restarted_from_the_logon_entry_it_fires_at_its_time(self):
        velmora = self.start_program()
        moment, target = self.arm_daily(velmora)
        command = self.autostart_command()
        self.assertEqual(command, [self.program])
        self.assert_record(moment, "1")
        self.assertEqual(self.settings_slots().get(2), "1")  # 每日定时

        self.assertEqual(self.exit_program(velmora), 0)
        self.assertLess(time.time(), target - 3, "too slow to restart before the task's time")
        self.assertEqual(self.desktop.logind.calls(), [], "a request before the restart")

        self.start_program(command)  # as the logon would
        call = self.wait_for_call("PowerOff", "Reboot", "TerminateSession",
                                  timeout=target - time.time() + LATENCY_LIMIT + 5)
        latency = call.time - target
        self.log(f"{call} at {latency:+.3f} s from the daily task's second after a restart")
        self.assertGreaterEqual(latency, -0.002, f"{call} came before the task's second")
        self.assertLessEqual(latency, LATENCY_LIMIT, f"{call} came {latency:.3f} s late")
        time.sleep(1.5)
        self.assertEqual([str(c) for c in self.desktop.logind.calls()], ["PowerOff(False)"])
        # Still armed for tomorrow, and still started at logon.
        self.assertTrue(self.config_path(AUTOSTART_ENTRY).exists())
        self.assert_record(moment, "1")

    def test_cancelled_it_is_not_rearmed_and_the_logon_entry_goes(self):
        velmora = self.start_program()
        moment, target = self.arm_daily(velmora)
        velmora.click("cancel")
        velmora.answer(NOTICE_TITLE)  # 是否取消每日定时任务？ OK
        self.desktop.wait_for(lambda: not self.config_path(AUTOSTART_ENTRY).exists(),
                              "the autostart entry to go")
        self.settle(lambda: self.settings_slots().get(20) == "0")
        self.assert_record(moment, "0")
        self.assertEqual(self.exit_program(velmora), 0)

        self.start_program()
        # Had the task been re-armed, it would fire at its second.
        time.sleep(max(0.0, target + LATENCY_LIMIT + 1 - time.time()))
        self.assertEqual(self.desktop.logind.calls(), [])
        self.assertFalse(self.config_path(AUTOSTART_ENTRY).exists())
        self.assertEqual(self.settings_slots().get(20), "0")


if __name__ == "__main__":
    main()
