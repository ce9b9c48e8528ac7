"""立即执行 with each action: the request the power backend makes for it reaches
the mock service at once, as a request the user may be asked to authenticate
(interactive), and nothing else is asked.

No session manager runs on the desktop's session bus, so ending the session is
logind's business. Xvfb has no DPMS; the display then goes off through the
desktop's display service, here GNOME's (Mutter's DisplayConfig, mocked on the
session bus). On an X server with DPMS the monitor goes off there instead.
"""

import time
from pathlib import Path

from scenario import ACTIONS, Scenario, main

MOCKS = Path(__file__).resolve().parent.parent / "dbus" / "mocks"
MUTTER = "org.gnome.Mutter.DisplayConfig"


def requests(mock):
    # Reads of the session's properties are not requests.
    return [call for call in mock.calls() if call.method not in ("Get", "GetAll")]


class ExecuteNow(Scenario):
    session_mocks = ((MOCKS / "mutter_display_config.py", MUTTER),)

    def test_each_action_reaches_the_mock(self):
        velmora = self.start_program()
        logind = self.desktop.logind
        mutter = self.desktop.mocks[MUTTER]
        logind.put_in_session(velmora.pid)
        dpms = self.desktop.monitor_state() is not None
        # The action, the mock its request goes to, and every call it makes there.
        cases = {
            "关机": (logind, ["PowerOff(True)"]),
            "重启": (logind, ["Reboot(True)"]),
            "注销": (logind, [f"GetSessionByPID({velmora.pid})", 'TerminateSession("c1")']),
            "强制关机": (logind, ["PowerOff(True)"]),
            "关闭显示器": (None, []) if dpms else
                          (mutter, [f'Set("{MUTTER}" "PowerSaveMode" 3)']),
        }
        for index, action in enumerate(ACTIONS):
            with self.subTest(action=action):
                target, expected = cases[action]
                before = {mock: len(requests(mock)) for mock in (logind, mutter)}
                velmora.choose("action", index)
                pressed = time.time()
                velmora.click("execute_now")
                if target is None:
                    # No input after the click: it would wake the monitor.
                    self.desktop.wait_for(lambda: self.desktop.monitor_state() == "Off",
                                          "the monitor to go off", timeout=5)
                    self.log(f"{action}: monitor off {time.time() - pressed:.3f} s after the click")
                else:
                    first = self.desktop.wait_for(
                        lambda: requests(target)[before[target]:],
                        f"the request for {action} at {target.name}", timeout=5)[0]
                    self.log(f"{action}: {first} {first.time - pressed:.3f} s after the click")
                time.sleep(0.3)  # whatever else follows
                for mock in (logind, mutter):
                    self.assertEqual([str(call) for call in requests(mock)[before[mock]:]],
                                     expected if mock is target else [], mock.name)
        self.assertIsNone(velmora.process.poll())


if __name__ == "__main__":
    main()
