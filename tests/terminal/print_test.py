# SPDX-License-Identifier: GPL-3.0-or-later
# Catches a terminal face that needs a display, differs from the golden cases' print.txt and
# print.json, misaligns columns by counting bytes, speaks English under German, writes the
# unit file, gives a wrong exit status, or under --watch repeats, misses or never ends.
"""The built program's --print forms and --watch, run without a display.

usage: print_test.py PATH_TO_TAVRINO
"""
import json
import os
import pty
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path

PROGRAM = os.path.abspath(sys.argv.pop(1))
CASES = Path(__file__).resolve().parent.parent / "cases"
PO = Path(__file__).resolve().parent.parent.parent / "po"
FOOTER = "Tavrino 1.2.1 · Readings stay on this device.\n"


def environment(**changes):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE", "XDG_CONFIG_HOME")}
    env.update(LC_ALL="C.UTF-8", TAVRINO_CONFIG_HOME=changes.pop("config", "/nonexistent"))
    env.update(changes)
    return env


def run(*args, **changes):
    return subprocess.run([PROGRAM, *args], capture_output=True, env=environment(**changes),
                          timeout=60)


def translation(language, msgid):
    """The catalogue's text for msgid, whatever its translators make of it."""
    po = (PO / (language + ".po")).read_text()
    return re.search(r'\nmsgid "' + re.escape(msgid) + r'"\nmsgstr "(.*)"', po).group(1)


def case_arguments(case):
    setup = (CASES / case / "setup").read_text() if (CASES / case / "setup").exists() else ""
    if setup.startswith("demo "):
        return ["--demo=" + setup.split()[1]]
    root = setup.split()[1] if setup.startswith("root ") else "power_supply"
    return ["--sysfs-root=" + str(CASES / case / root)]


class Print(unittest.TestCase):
    def test_golden_cases_print_as_the_core_does(self):
        config = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, config)
        Path(config, "unit").write_bytes(b"m")  # the saved unit: read, never written
        for case, status in (("two-batteries", 0), ("demo-charging", 0), ("root-missing", 1)):
            with self.subTest(case):
                text = run("--print", *case_arguments(case))
                self.assertEqual((text.returncode, text.stderr), (status, b""))
                self.assertEqual(text.stdout, (CASES / case / "print.txt").read_bytes())
                # Demo runs do not read the unit file: mAh has to be asked for there.
                unit = ["--unit=mAh"] if case.startswith("demo") else []
                printed = run("--print=json", *unit, *case_arguments(case), config=config)
                self.assertEqual((printed.returncode, printed.stderr), (status, b""))
                self.assertEqual(json.loads(printed.stdout),
                                 json.loads((CASES / case / "print.json").read_bytes()))
        self.assertEqual(os.listdir(config), ["unit"])
        self.assertEqual(Path(config, "unit").read_bytes(), b"m")

    def test_text_in_an_ascii_locale_and_an_output_that_cannot_be_written(self):
        text = run("--print", "--demo=no-voltage", LC_ALL="C").stdout
        self.assertTrue(text.isascii(), text)
        self.assertIn(b"\nVoltage: - V\nNotes: Sample data - preview only.\n", text)
        for watch in ([], ["--watch"]):
            with open("/dev/full", "wb") as full:
                failed = subprocess.run([PROGRAM, "--print", "--demo=charging", *watch],
                                        stdout=full, stderr=subprocess.PIPE, timeout=60,
                                        env=environment())
            self.assertEqual((failed.returncode, failed.stderr.count(b"\n")), (1, 1), watch)

    def test_waybar_line_and_its_classes(self):
        for scenario, kind, text in (("charging", "charging", "+24.00 W"),
                                     ("discharging", "discharging", "12.48 W"),
                                     ("idle", "not-charging", "0.00 W"),
                                     ("empty", "no-battery", "— W")):
            with self.subTest(scenario):
                line = run("--print=waybar", "--demo=" + scenario)
                self.assertEqual(line.returncode, 0)
                self.assertEqual(line.stdout.count(b"\n"), 1)
                fields = json.loads(line.stdout)
                self.assertEqual(sorted(fields), ["class", "percentage", "text", "tooltip"])
                self.assertEqual((fields["class"], fields["text"]), (kind, text))

    def test_json_speaks_german(self):
        printed = json.loads(run("--print=json", "--demo=charging", LC_ALL="de_DE.UTF-8").stdout)
        self.assertEqual(printed["batteries"][0]["caption"], translation("de", "Battery charging"))

    def test_columns_align_by_display_width_in_a_french_terminal(self):
        design = translation("fr", "Design capacity")
        self.assertFalse(design.isascii(), "a caption of more bytes than columns is needed")
        pid, fd = pty.fork()
        if pid == 0:
            os.execve(PROGRAM, [PROGRAM, "--print", "--demo=multiple"],
                      environment(LC_ALL="fr_FR.UTF-8"))
        output = b""
        while chunk := self.read_pty(fd):
            output += chunk
        self.assertEqual(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]), 0)
        rows = output.decode().replace("\r\n", "\n").split("\n\n")[0].splitlines()
        self.assertIn(design, output.decode())
        columns = {len(re.match(r"(.*?  +)\S", row).group(1)) for row in rows}
        self.assertEqual(len(columns), 1, rows)

    @staticmethod
    def read_pty(fd):
        try:
            return os.read(fd, 4096)
        except OSError:  # the child has gone: EIO
            return b""

    def test_watch_prints_once_per_change_and_stops_cleanly(self):
        tree = Path(tempfile.mkdtemp()) / "tree"
        self.addCleanup(shutil.rmtree, tree.parent)
        shutil.copytree(CASES / "acpi-energy-laptop", tree, symlinks=True)
        uevent = (tree / "power_supply" / "BAT0").resolve() / "uevent"
        watch = subprocess.Popen([PROGRAM, "--print", "--watch", "--sysfs-root=" +
                                  str(tree / "power_supply")], stdout=subprocess.PIPE,
                                 env=environment())
        output = []
        threading.Thread(target=lambda: output.extend(iter(lambda: watch.stdout.read1(), b"")),
                         daemon=True).start()

        def blocks(count):
            give_up = time.monotonic() + 30
            while b"".join(output).decode().count(FOOTER) < count:
                self.assertLess(time.monotonic(), give_up, b"".join(output))
                time.sleep(0.05)
            time.sleep(2.5)  # a whole tick more: nothing else may come
            return b"".join(output).decode()

        first = blocks(1)
        for count, power in ((2, "9000000"), (3, "10000000")):
            uevent.write_text(re.sub(r"POWER_NOW=\d+", "POWER_NOW=" + power, uevent.read_text()))
            self.assertEqual(blocks(count).count(FOOTER), count)
        printed = b"".join(output).decode()
        self.assertTrue(printed.startswith(first + "\nBattery drain: 9.00 W\n"), printed)
        self.assertIn(FOOTER + "\nBattery drain: 10.00 W\n", printed)
        watch.send_signal(signal.SIGTERM)
        self.assertEqual(watch.wait(timeout=10), 0)

    def test_watch_ends_after_quit_after_or_a_closed_output(self):
        started = time.monotonic()
        self.assertEqual(run("--print=json", "--watch", "--demo=charging", "--quit-after=1")
                         .returncode, 0)
        self.assertLess(time.monotonic() - started, 10)
        reader, writer = os.pipe()
        watch = subprocess.Popen([PROGRAM, "--print=waybar", "--watch", "--demo=charging"],
                                 stdout=writer, env=environment())
        os.close(writer)
        self.assertTrue(os.read(reader, 4096).endswith(b"}\n"))
        os.close(reader)  # nothing changes, so no write will fail: the wait must notice
        self.assertEqual(watch.wait(timeout=10), 0)


if __name__ == "__main__":
    unittest.main()
