#!/usr/bin/env python3
"""The real program on a fixture power-supply tree, read from outside through the
accessibility tree (AT-SPI), the way a screen reader sees the window.

usage: end_to_end_test.py PATH_TO_TAVRINO PATH_TO_BLOCKING_OPEN_LIBRARY
Needs an X display with a window manager, a session bus (dbus-run-session) and the AT-SPI
registry; tests/app/CMakeLists.txt runs it that way.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

PROGRAM = None
BLOCKING_OPEN = None  # tests/support/blocking_open.cpp, built as a preloadable module
PATIENCE_S = 20  # a generous bound for polling; no test depends on how fast things are


def wait_for(what, condition):
    give_up = time.monotonic() + PATIENCE_S
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > give_up:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


class SupplyTree:
    """A power-supply root in a fresh temporary directory, laid out like the kernel's."""

    def __init__(self):
        self.base = tempfile.mkdtemp(prefix="tavrino-e2e-")
        self.root = os.path.join(self.base, "power_supply")
        os.mkdir(self.root)

    def remove(self):
        shutil.rmtree(self.base, ignore_errors=True)

    def write_supply(self, name, attributes):
        """Writes the uevent file and one file per attribute (values in micro-units)."""
        directory = os.path.join(self.root, name)
        os.makedirs(directory, exist_ok=True)
        lines = "".join("POWER_SUPPLY_%s=%s\n" % (key.upper(), value)
                        for key, value in attributes.items())
        self.replace(os.path.join(directory, "uevent"), lines)
        for key, value in attributes.items():
            self.replace(os.path.join(directory, key), "%s\n" % value)

    @staticmethod
    def replace(path, text):
        # Whole files only: the reader must never see a half-written one.
        with open(path + ".new", "w") as f:
            f.write(text)
        os.replace(path + ".new", path)


BATTERY = {
    "type": "Battery",
    "status": "Discharging",
    "present": "1",
    "model_name": "Fixture Cell",
    "manufacturer": "Acme",
    "technology": "Li-ion",
    "voltage_now": "12000000",
    "energy_now": "30000000",
    "energy_full": "50000000",
    "energy_full_design": "60000000",
    "power_now": "7500000",
    "capacity": "60",
    "cycle_count": "42",
}


class Program:
    """One run of the program, and its window as the accessibility tree shows it."""

    def __init__(self, *arguments, extra_env=None, config_home=None):
        env = dict(os.environ)
        env.pop("NO_AT_BRIDGE", None)  # this test reads the window through the bridge
        env["LC_ALL"] = "C.UTF-8"  # one decimal separator for the figures
        self.own_config = config_home is None
        env["TAVRINO_CONFIG_HOME"] = config_home or tempfile.mkdtemp(
            prefix="tavrino-e2e-config-")
        # Any GTK critical (a widget used after the window is gone, say) ends the run.
        env["G_DEBUG"] = "fatal-criticals"
        env.update(extra_env or {})
        self.config_home = env["TAVRINO_CONFIG_HOME"]
        self.process = subprocess.Popen([PROGRAM, *arguments], env=env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.app = wait_for("the program's accessible application", self.find_application)

    def find_application(self):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            except gi.repository.GLib.Error:
                continue  # an application that went away meanwhile
        return None

    def texts(self):
        """Every label's text, in tree order."""
        found = []
        pending = [self.app]
        while pending:
            node = pending.pop(0)
            try:
                if node.get_role() == Atspi.Role.LABEL:
                    text = node.get_text_iface()
                    found.append(text.get_text(0, -1) if text else node.get_name())
                pending.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
            except gi.repository.GLib.Error:
                continue  # the tree changed under us; the next poll sees it whole
        return found

    def shows(self, text):
        return any(text in label for label in self.texts())

    def find(self, role, name):
        pending = [self.app]
        while pending:
            node = pending.pop(0)
            try:
                if node.get_role() == role and node.get_name() == name:
                    return node
                pending.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
            except gi.repository.GLib.Error:
                continue
        return None

    def choose_unit(self, index):
        """Picks an item of the unit chooser, as a screen reader user would."""
        combo = wait_for("the unit chooser",
                         lambda: self.find(Atspi.Role.COMBO_BOX, "Capacity units"))
        combo.get_selection_iface().select_child(index)

    def close_window(self):
        # As the user does: the window manager asks the window to close.
        subprocess.run(["wmctrl", "-i", "-c", self.window_id()], check=True)

    def window_id(self):
        search = ["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)]
        ids = subprocess.run(search, capture_output=True, text=True).stdout.split()
        return ids[-1] if ids else None

    def finish(self, timeout=PATIENCE_S):
        out, err = self.process.communicate(timeout=timeout)
        self.remove_config()
        return self.process.returncode, out.decode(), err.decode()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.communicate()
        self.remove_config()

    def remove_config(self):
        if self.own_config:
            shutil.rmtree(self.config_home, ignore_errors=True)


class EndToEnd(unittest.TestCase):
    def setUp(self):
        self.tree = SupplyTree()
        self.program = None

    def tearDown(self):
        if self.program is not None:
            self.program.kill()
        self.tree.remove()

    def start(self, *arguments, extra_env=None, config_home=None):
        self.program = Program(*arguments, extra_env=extra_env, config_home=config_home)
        return self.program

    def test_the_unit_chooser_switches_every_figure_and_is_remembered(self):
        self.tree.write_supply("BAT0", BATTERY)
        config = tempfile.mkdtemp(prefix="tavrino-e2e-config-")
        self.addCleanup(shutil.rmtree, config, True)
        program = self.start("--sysfs-root=" + self.tree.root, config_home=config)
        wait_for("the figures in Wh", lambda: program.shows("30.00 Wh"))

        program.choose_unit(1)
        # 30 Wh at 12 V is 2500 mAh; 7.5 W at 12 V is 625 mA.
        wait_for("the figures in mAh", lambda: program.shows("2500 mAh"))
        for figure in ("625 mA", "4167 mAh", "5000 mAh"):
            self.assertTrue(program.shows(figure), (figure, program.texts()))
        self.assertFalse(any(label.endswith(" Wh") for label in program.texts()))
        with open(os.path.join(config, "unit"), "rb") as f:
            self.assertEqual(f.read(), b"m")
        program.close_window()
        self.assertEqual(program.finish()[0], 0)

        program = self.start("--sysfs-root=" + self.tree.root, config_home=config)
        wait_for("the remembered unit", lambda: program.shows("2500 mAh"))
        program.close_window()
        self.assertEqual(program.finish()[0], 0)

    def test_shows_the_fixture_figures_and_follows_a_change(self):
        self.tree.write_supply("BAT0", BATTERY)
        self.tree.write_supply("AC", {"type": "Mains", "online": "0"})
        program = self.start("--sysfs-root=" + self.tree.root)
        wait_for("the remaining energy", lambda: program.shows("30.00 Wh"))
        self.assertTrue(program.shows("Fixture Cell"), program.texts())

        self.tree.write_supply("BAT0", dict(BATTERY, energy_now="24500000"))
        wait_for("the changed remaining energy", lambda: program.shows("24.50 Wh"))

        program.close_window()
        status, _, err = program.finish()
        self.assertEqual(status, 0, err)

    def test_shows_why_a_missing_root_cannot_be_read(self):
        program = self.start("--sysfs-root=" + os.path.join(self.tree.base, "missing"))
        wait_for("the problem text", lambda: program.shows(
            "The Linux battery interface could not be read: No such file or directory"))
        program.close_window()
        status, _, err = program.finish()
        self.assertEqual(status, 0, err)

    def test_closing_during_a_pass_waits_for_it_and_draws_nothing_after(self):
        self.tree.write_supply("BAT0", BATTERY)
        control = os.path.join(self.tree.base, "control")
        os.mkdir(control)
        # The preloaded library holds the first pass at its first open of BAT0's uevent
        # file until the test lets it go.
        env = {
            "LD_PRELOAD": BLOCKING_OPEN,
            "TAVRINO_TEST_BLOCK_SUFFIX": "/BAT0/uevent",
            "TAVRINO_TEST_BLOCK_CONTROL": control,
            # An address-sanitized program must otherwise have its runtime loaded first.
            "ASAN_OPTIONS": "verify_asan_link_order=0",
        }
        program = self.start("--sysfs-root=" + self.tree.root, extra_env=env)
        wait_for("the pass to be held",
                 lambda: os.path.exists(os.path.join(control, "blocked")))
        wait_for("the window", program.window_id)

        program.close_window()
        wait_for("the window to go", lambda: program.window_id() is None)
        self.assertIsNone(program.process.poll(), "the pass still runs, so the join waits")

        open(os.path.join(control, "release"), "w").close()  # its result must be dropped
        status, _, err = program.finish()
        self.assertEqual(status, 0, err)
        self.assertNotIn("CRITICAL", err)
        self.assertNotIn("WARNING", err)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    BLOCKING_OPEN = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
