"""First start without settings: the controls hold the defaults, and 保存 after
setting them as the example user does writes the example settings file byte
for byte."""

import datetime
from pathlib import Path

from scenario import Scenario, date_text, main

DATA = Path(__file__).resolve().parent.parent / "data"


class FirstStart(Scenario):
    logind = False  # nothing here asks logind anything

    def test_defaults_are_what_a_first_save_writes(self):
        velmora = self.start_program()
        self.assertIsNone(self.settings_bytes(), "a settings file before the first save")
        velmora.click("save")
        self.desktop.wait_for(self.settings_bytes, "the settings file")
        slots = self.settings_slots()
        self.assertEqual(
            {n: slots.get(n) for n in range(1, 8)},
            {1: "8",                 # skin 8
             2: "0",                 # 执行一次
             3: "0",                 # 关机
             4: "假",                # no warning
             5: "30",                # warning lead 30
             6: "",                  # nothing armed
             7: date_text(velmora.today)})

    def test_save_writes_the_example_file(self):
        velmora = self.start_program()
        velmora.choose("action", 1)          # 重启
        velmora.choose("repetition", 0)      # 执行一次
        velmora.click("warn")                # 关机前提示
        velmora.type_into("lead", "30")
        velmora.set_date(datetime.date(2024, 5, 1))
        velmora.type_into("hour", "22")
        velmora.type_into("minute", "30")
        velmora.type_into("second", "0")
        velmora.type_into("boot_hours", "2")
        velmora.type_into("boot_minutes", "0")
        velmora.type_into("countdown_hours", "1")
        velmora.type_into("countdown_minutes", "0")
        velmora.type_into("countdown_seconds", "0")
        velmora.click("save")
        example = (DATA / "profile_example.ini").read_bytes()
        self.desktop.wait_for(self.settings_bytes, "the settings file")
        written = self.settings_bytes()
        if written != example:
            (self.evidence / "delp.ini").write_bytes(written)
        self.assertEqual(written.decode("gbk"), example.decode("gbk"))
        self.assertEqual(written, example)


if __name__ == "__main__":
    main()
