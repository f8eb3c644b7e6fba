#!/usr/bin/env python3
"""quillmere-report --control as an operator runs it, against the fixture's
dummy daemons: JSON lines for the commands sent and the rotator stopped at
the end (exit 0), an unreachable daemon (exit 1), bad options (exit 2)."""
import json
import subprocess
import sys
import unittest

TOOL, STATE = sys.argv[1], sys.argv[2]
PORTS = {}


def run(*args, timeout=60):
    return subprocess.run([TOOL, "--control", *args], capture_output=True, text=True,
                          timeout=timeout)


class Headless(unittest.TestCase):
    def test_commands_as_json_lines_and_the_rotator_stopped(self):
        r = run("--station", "home", "--home", "JO01", "--dx", "FN31",
                "--rotator", f"127.0.0.1:{PORTS['rotctld']}",
                "--rig", f"127.0.0.1:{PORTS['rigctld']}", "--doppler", "own-echo",
                "--sky-mhz", "10368.1", "--lo-mhz", "10224", "--rig-step-hz", "10",
                "--for", "2", "--json")
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = [json.loads(line) for line in r.stdout.splitlines()]
        commands = [line["command"] for line in lines]
        self.assertEqual(commands[:3], ["S 1 VFOB", lines[1]["command"], lines[2]["command"]])
        self.assertTrue(commands[1].startswith("F 1441"))
        self.assertEqual(commands[-1], "S")
        for line in lines:
            self.assertEqual(list(line)[:3], ["utc", "daemon", "target"])
            self.assertIn("answer", line)

    def test_unreachable_daemon(self):
        # A port nobody listens on: the rig's plus one thousand.
        r = run("--station", "dx", "--home", "JO01", "--dx", "FN31",
                "--rotator", f"127.0.0.1:{PORTS['rigctld'] + 1000}", "--for", "0")
        self.assertEqual(r.returncode, 1)
        self.assertIn("cannot reach 127.0.0.1", r.stderr)

    def test_bad_options(self):
        for args in (["--station", "mars", "--home", "JO01", "--dx", "FN31",
                      "--rotator", "h:1", "--for", "1"],
                     ["--station", "home", "--home", "JO01", "--dx", "FN31",
                      "--rig", "h:1", "--for", "1"],  # the rig without --doppler
                     ["--station", "home", "--home", "JO01", "--dx", "FN31",
                      "--rig", "h:1", "--doppler", "cfom", "--sky-mhz", "10368",
                      "--rig-step-hz", "5", "--for", "1"],
                     ["--station", "home", "--home", "JO01", "--dx", "FN31",
                      "--rotator", "h:1"]):
            r = run(*args)
            self.assertEqual(r.returncode, 2, args)
            self.assertTrue(r.stderr.startswith("quillmere-report: "), r.stderr)

    def test_help(self):
        r = run("--help")
        self.assertEqual(r.returncode, 0)
        self.assertIn("--rig-step-hz", r.stdout)


if __name__ == "__main__":
    with open(STATE) as f:
        for name, port, _pid in (line.split() for line in f if line.strip()):
            PORTS[name] = int(port)
    unittest.main(argv=sys.argv[:1])
