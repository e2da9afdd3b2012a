# SPDX-License-Identifier: GPL-3.0-or-later
# Catches wrong statuses or texts, untranslated or garbled ones under German (UTF-8 and ISO-8859-1), Russian or Japanese locales, unasked unit-file writes, stale or unconverted figures, a lost unit, a loose strip or lost size, pins blind to the window manager, reading while iconified or not after a map, a close that does not wait for its pass, a theme
# option that overrides the desktop's preference when it is absent or unknown.
"""The built program from outside: its streams, its window through the window manager, its
labels through the accessibility tree, its reader thread through /proc.

usage: program_test.py PATH_TO_TAVRINO PATH_TO_BLOCKING_OPEN_MODULE, on an X display with a
window manager and a session bus; tests/app/CMakeLists.txt runs it that way.
"""
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

import gi

gi.require_version("Atspi", "2.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Atspi, Gdk, GLib  # noqa: E402

PROGRAM = os.path.abspath(sys.argv.pop(1))
BLOCKING_OPEN = os.path.abspath(sys.argv.pop(1))  # tests/support/blocking_open.cpp
WITH_DISPLAY = Path(__file__).resolve().parent.parent / "support" / "with-display.sh"
LIGHT, DARK = "f6f5f4", "353535"  # the window background of the default theme's variants
BATTERY = {"type": "Battery", "status": "Discharging", "voltage_now": "12000000",
           "energy_now": "30000000", "energy_full": "50000000",
           "energy_full_design": "60000000", "power_now": "7500000"}


def wait_for(what, condition):
    give_up = time.monotonic() + 30  # generous: sanitized builds are slow
    while not (value := condition()):
        if time.monotonic() > give_up:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)
    return value


def x(*command):
    return subprocess.run(command, capture_output=True, text=True).stdout


def run(*command, **env):
    """Runs to the end, in English; an env value of None unsets the variable."""
    env = {**os.environ, "LC_ALL": "C.UTF-8", "LANGUAGE": None, **env}
    env = {key: value for key, value in env.items() if value is not None}
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)
    return done.returncode, done.stdout, done.stderr


class Program:
    """One run of the program with its window."""

    def __init__(self, config, *arguments, **env):
        # NO_AT_BRIDGE: the labels are read through the bridge; LANGUAGE would outrank LC_ALL,
        # even C.UTF-8. An env value of None unsets the variable.
        env = {**os.environ, "LC_ALL": "C.UTF-8", "G_DEBUG": "fatal-criticals",
               "TAVRINO_CONFIG_HOME": config, "NO_AT_BRIDGE": None, "LANGUAGE": None, **env}
        env = {key: value for key, value in env.items() if value is not None}
        self.process = subprocess.Popen([PROGRAM, *arguments], env=env, text=True,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        search = ["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)]
        self.win = wait_for("the window", lambda: x(*search).split())[-1]
        self.app = wait_for("the accessible application", self.find_app)
        x("xdotool", "windowactivate", "--sync", self.win)

    def find_app(self):
        desktop = Atspi.get_desktop(0)
        try:
            return next((app for app in map(desktop.get_child_at_index,
                                            range(desktop.get_child_count()))
                         if app.get_process_id() == self.process.pid), None)
        except GLib.Error:  # an application that went away meanwhile
            return None

    def find(self, name):
        """The first accessible whose name holds `name`: a label's name is its text."""
        pending = [self.app]
        while pending:
            node = pending.pop()
            try:
                if name in (node.get_name() or ""):
                    return node
                pending += map(node.get_child_at_index, range(node.get_child_count()))
            except GLib.Error:  # the tree changed under us; the next poll sees it whole
                pass
        return None

    def size(self):
        geometry = x("xdotool", "getwindowgeometry", self.win)
        return tuple(map(int, re.search(r"Geometry: (\d+)x(\d+)", geometry).groups()))

    def background(self):
        """The colour of a pixel of the window's background, once it is drawn."""
        position = x("xdotool", "getwindowgeometry", self.win)
        left, top = map(int, re.search(r"Position: (\d+),(\d+)", position).groups())
        pixel = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), left + 3, top + 3, 1, 1)
        colour = pixel.get_pixels()[:3].hex() if pixel else ""
        return colour if colour in (LIGHT, DARK) else None

    def locked(self):  # minimum size = maximum size: the window manager cannot resize it
        sizes = re.findall(r"(?:minimum|maximum) size: (\d+ by \d+)",
                           x("xprop", "-id", self.win, "WM_NORMAL_HINTS"))
        return len(sizes) == 2 and sizes[0] == sizes[1]

    def strip(self):  # locked at about 300 x 44
        width, height = self.size()
        return self.locked() and 280 <= width <= 320 and height <= 96

    def above(self):
        return "_NET_WM_STATE_ABOVE" in x("xprop", "-id", self.win, "_NET_WM_STATE")

    def wakeups(self):
        """The reader sleeps between passes: each pass costs it a voluntary context switch."""
        for status in Path("/proc/%d/task" % self.process.pid).glob("*/status"):
            status = status.read_text()
            if "Name:\ttavrino-read\n" in status:
                return int(re.search(r"^voluntary_ctxt_switches:\s*(\d+)", status, re.M)[1])
        raise AssertionError("no tavrino-read thread")

    def wakes(self, what):
        since = self.wakeups()
        wait_for(what, lambda: self.wakeups() > since)

    def close(self):
        """Closes the window as its close button does; returns the exit status and stderr."""
        x("wmctrl", "-i", "-c", self.win)
        err = self.process.communicate(timeout=30)[1]
        return self.process.returncode, err


class WholeProgram(unittest.TestCase):
    def setUp(self):
        base = tempfile.TemporaryDirectory(prefix="tavrino-test-")
        self.addCleanup(base.cleanup)
        self.config, self.uevent = Path(base.name, "config"), Path(base.name, "ps/BAT0/uevent")
        self.config.mkdir()
        self.uevent.parent.mkdir(parents=True)
        self.sysfs = "--sysfs-root=" + str(self.uevent.parent.parent)
        self.write_battery()

    def write_battery(self, **changes):
        new = self.uevent.with_suffix(".new")  # whole files only: never a half-written one
        new.write_text("".join("POWER_SUPPLY_%s=%s\n" % (key.upper(), value)
                               for key, value in dict(BATTERY, **changes).items()))
        new.replace(self.uevent)

    def start(self, *arguments, **env):
        program = Program(str(self.config), *arguments, **env)
        self.addCleanup(lambda: program.process.poll() is None and program.process.kill())
        return program

    def test_statuses_and_texts_and_the_unit_file_left_alone(self):
        no_display = {"DISPLAY": None, "WAYLAND_DISPLAY": None, "GDK_BACKEND": None,
                      "XDG_RUNTIME_DIR": str(self.config)}
        for arguments, expected in (
                (["--version"], (0, "Tavrino 1.2.1\n", "")),
                (["--bogus"], (2, "", "Unknown option: --bogus\n")),
                ([], (1, "", "Tavrino needs a graphical Linux desktop (X11 or Wayland).\n"))):
            self.assertEqual(run(PROGRAM, *arguments, **no_display), expected)

        unit = self.config / "unit"
        unit.write_text("m")
        written = unit.stat().st_mtime_ns
        for arguments in ([], ["--unit=Wh"], ["--demo="]):
            self.assertEqual(run(PROGRAM, "--quit-after=1", self.sysfs, *arguments,
                                 TAVRINO_CONFIG_HOME=str(self.config)), (0, "", ""))
            self.assertEqual((os.listdir(self.config), unit.stat().st_mtime_ns),
                             (["unit"], written), arguments)

    def test_a_native_wayland_window(self):
        # No session bus: GDK would call portals on GLib threads whose locks ThreadSanitizer
        # cannot see.
        status, _, trace = run(WITH_DISPLAY, "--wayland", PROGRAM, "--demo=charging", "--quit-after=1",
                               WAYLAND_DEBUG="1", DBUS_SESSION_BUS_ADDRESS=None)
        if status == 77:
            self.skipTest("no weston")
        self.assertEqual(status, 0, trace)
        # The trace names the object xdg_toplevel@14 in older libwayland, xdg_toplevel#14 in newer.
        self.assertRegex(trace, r'xdg_toplevel[@#]\d+\.set_title\("Tavrino · Sample data"\)')

    def test_figures_units_and_reading_only_while_shown(self):
        program = self.start(self.sysfs)
        wait_for("the figures in Wh", lambda: program.find("30.00 Wh"))
        Atspi.Selection.select_child(wait_for("the unit chooser",
                                              lambda: program.find("Capacity units")), 1)
        # 30 Wh at 12 V is 2500 mAh; 7.5 W at 12 V is 625 mA.
        for figure in ("2500 mAh", "625 mA", "4167 mAh", "5000 mAh"):
            wait_for(figure, lambda: program.find(figure))
        self.assertEqual((self.config / "unit").read_bytes(), b"m")
        self.write_battery(energy_now="24000000")
        wait_for("the changed figure", lambda: program.find("2000 mAh"))

        x("xdotool", "windowminimize", program.win)
        wait_for("the window iconified",
                 lambda: "state: Iconic" in x("xprop", "-id", program.win, "WM_STATE"))
        # A pass asked for just before may still run; then none for three 2-second periods.
        quiet, give_up = program.wakeups(), time.monotonic() + 6
        while time.monotonic() < give_up:
            self.assertLessEqual(program.wakeups(), quiet + 1, "reading while iconified")
            time.sleep(0.2)
        x("wmctrl", "-i", "-a", program.win)
        program.wakes("reading again after the restore")

        x("xdotool", "windowunmap", "--sync", program.win)
        self.write_battery(energy_now="18000000")
        x("xdotool", "windowmap", "--sync", program.win)
        program.wakes("reading again after the map")
        wait_for("the figure changed while unmapped", lambda: program.find("1500 mAh"))
        self.assertEqual(program.close(), (0, ""))

        program = self.start(self.sysfs, "--compact")
        wait_for("the remembered unit", lambda: program.find("1500 mAh"))
        wait_for("the strip at start", program.strip)
        x("xdotool", "key", "ctrl+m")
        wait_for("the expanded page", lambda: not program.locked() and min(program.size()) >= 340)
        self.assertTrue(Atspi.Selection.is_child_selected(program.find("Capacity units"), 1))
        self.assertEqual(program.close(), (0, ""))

    def test_strip_size_and_pins(self):
        program = self.start(self.sysfs + "/missing")
        wait_for("the problem text", lambda: program.find(
            "The Linux battery interface could not be read: No such file or directory"))
        x("xdotool", "windowsize", program.win, "520", "640")
        wait_for("the user's size", lambda: program.size() == (520, 640))
        x("xdotool", "key", "ctrl+m")
        wait_for("the strip", program.strip)
        x("xdotool", "key", "ctrl+M")
        wait_for("the user's size again, resizable",
                 lambda: program.size() == (520, 640) and not program.locked())

        # The window manager's own changes move the pins: the Ctrl+T after each undoes it.
        for step in ("ctrl+t", "ctrl+T", "ctrl+shift+t", "ctrl+t", "wm", "ctrl+t", "ctrl+t",
                     "wm", "ctrl+t"):
            want = not program.above()
            if step == "wm":
                x("wmctrl", "-i", "-r", program.win, "-b", "toggle,above")
            else:
                x("xdotool", "key", step)
            wait_for(step + " to flip keep-above", lambda: program.above() == want)
        self.assertEqual(program.close(), (0, ""))

    def test_translated_texts_and_decimal_separator(self):
        # A Latin, a Cyrillic and a CJK catalogue, each with its locale's decimal separator;
        # GTK wants UTF-8 also where the locale's character set is another ("·" is 0xB7 there).
        german = ("Akku wird geladen", "Wird geladen", "Beispieldaten · nur zur Vorschau.", "24,00 W")
        for locale, texts in (
                ("de_DE.UTF-8", german), ("de_DE.ISO-8859-1", german),
                ("ru_RU.UTF-8", ("Зарядка батареи", "Заряжается",
                                 "Демо-данные · только для ознакомления.", "24,00 W")),
                ("ja_JP.UTF-8", ("バッテリーの充電", "充電中", "サンプルデータ · プレビュー専用です。",
                                 "24.00 W"))):
            with self.subTest(locale):
                name, charset = locale.split(".")
                self.assertIn(name + "." + charset.lower().replace("-", ""),
                              x("locale", "-a").split(), "install-deps.sh test makes it")
                program = self.start("--demo=charging", LC_ALL=locale, LANGUAGE=name[:2])
                for text in texts:
                    wait_for(text, lambda: program.find(text))
                self.assertEqual(program.close(), (0, ""))

    def test_theme_option_and_the_desktops_preference(self):
        # The desktop prefers dark, as GTK reads it where no settings daemon runs.
        desktop = self.config / "xdg"
        (desktop / "gtk-3.0").mkdir(parents=True)
        (desktop / "gtk-3.0" / "settings.ini").write_text(
            "[Settings]\ngtk-application-prefer-dark-theme=1\n")
        for arguments, home, expected in (([], desktop, DARK), (["--theme=Dark"], desktop, DARK),
                                          (["--theme=light"], desktop, LIGHT),
                                          (["--theme=dark"], self.config, DARK)):
            program = self.start("--demo=charging", *arguments, XDG_CONFIG_HOME=str(home),
                                 GTK_THEME=None)
            self.assertEqual(wait_for("the window drawn", program.background), expected,
                             arguments)
            self.assertEqual(program.close(), (0, ""))

    def test_closing_during_a_pass_waits_for_it(self):
        # An address-sanitized program otherwise wants its runtime loaded first.
        program = self.start(self.sysfs, LD_PRELOAD=BLOCKING_OPEN,
                             TAVRINO_TEST_HOLD=str(self.uevent),
                             ASAN_OPTIONS="verify_asan_link_order=0")
        held = self.uevent.with_suffix(".held")
        wait_for("a pass held", held.exists)
        x("wmctrl", "-i", "-c", program.win)
        wait_for("the window to go", lambda: not x("xwininfo", "-id", program.win))
        self.uevent.with_suffix(".release").touch()  # its result must be dropped, not drawn
        self.assertEqual(program.close(), (0, ""))
        self.assertFalse(held.exists(), "the program ended before its pass")


if __name__ == "__main__":
    unittest.main(verbosity=2)
