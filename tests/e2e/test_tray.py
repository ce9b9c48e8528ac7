"""The tray icon: minimised, the window hides and the icon brings it back; the
exit button ends the program with code 0 and takes the icon with it."""

from harness import SCREEN
from scenario import CLIENT_SIZE, Scenario, main


class Tray(Scenario):
    logind = False  # nothing here asks logind anything

    def icon_centre(self, icon):
        info = self.desktop.window_info(icon)
        return (int(info["Absolute upper-left X"]) + int(info["Width"]) // 2,
                int(info["Absolute upper-left Y"]) + int(info["Height"]) // 2)

    def test_minimised_it_hides_and_a_double_click_on_the_icon_brings_it_back_centred(self):
        velmora = self.start_program()
        icons = self.desktop.wait_for(velmora.tray_icons, "the tray icon")
        self.assertEqual(len(icons), 1, f"tray icons {icons}")

        # What the window manager's minimise button does.
        self.desktop.run(["xdotool", "windowminimize", "--sync", velmora.window])
        self.desktop.wait_for(lambda: self.desktop.wm_state(velmora.window) is None,
                              "the minimised window to leave the taskbar")
        self.assertFalse(self.desktop.is_viewable(velmora.window))
        self.assertEqual(velmora.tray_icons(), icons, "the tray icon while hidden")

        self.desktop.click_at(*self.icon_centre(icons[0]), repeat=2)
        self.desktop.wait_for(lambda: self.desktop.is_viewable(velmora.window),
                              "the window to come back")
        self.assertEqual(self.desktop.wm_state(velmora.window), "Normal")
        x, y, width, height = self.desktop.geometry(velmora.window)
        self.assertEqual((width, height), CLIENT_SIZE)
        # Centred frame and all; a pixel of rounding either way.
        fx, fy, fwidth, fheight = self.desktop.frame_geometry(velmora.window)
        self.log(f"back at {x},{y} (frame {fx},{fy} {fwidth}x{fheight})")
        self.assertLessEqual(abs(fx + fwidth / 2 - SCREEN[0] / 2), 1, "not centred across")
        self.assertLessEqual(abs(fy + fheight / 2 - SCREEN[1] / 2), 1, "not centred down")
        self.assertEqual(velmora.tray_icons(), icons)
        self.assertIsNone(velmora.process.poll())

    def test_exit_button_ends_with_code_zero_and_takes_the_icon_along(self):
        velmora = self.start_program()
        self.desktop.wait_for(velmora.tray_icons, "the tray icon")
        self.assertEqual(self.exit_program(velmora), 0)
        self.desktop.wait_for(lambda: not self.desktop.tray_children(), "the tray to be empty",
                              timeout=5)
        # Nothing is saved at the end.
        self.assertIsNone(self.settings_bytes())


if __name__ == "__main__":
    main()
