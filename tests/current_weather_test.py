#!/usr/bin/env python3
"""quillmere-report --current-weather against a stand-in server on 127.0.0.1.

Each case runs the tool as a user does, against one recorded answer of
weather_server.py, and checks the exit status and what it says. No case
reaches beyond the loopback address.
"""
import json
import os
import socket
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import weather_server  # noqa: E402

TOOL = None  # set from the command line


def free_closed_port():
    """A port on 127.0.0.1 where nothing listens."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class CurrentWeather(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = weather_server.start()
        cls.base = "http://127.0.0.1:%d" % cls.server.server_address[1]

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()

    def run_tool(self, *args, url=None, scenario="ok"):
        url = url or "%s/%s" % (self.base, scenario)
        argv = [TOOL, "--current-weather", "--weather-url", url, "--weather-timeout", "1"]
        return subprocess.run(argv + list(args), capture_output=True, text=True, timeout=60)

    def test_the_recorded_figures_as_json(self):
        run = self.run_tool("--home", "JO01", "--json")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(json.loads(run.stdout), {
            "temperature_c": 6.6, "humidity_pct": 87, "pressure_hpa": 1004.4,
            "pressure_msl_hpa": 1013.5, "time": "2026-12-07T21:45Z",
            "source": "Weather data by Open-Meteo.com, CC BY 4.0"})

    def test_the_readable_sheet_names_source_and_time(self):
        run = self.run_tool("--home", "JN36", "--home-height", "3571", scenario="mountain")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("Station pressure    652.5 hPa", run.stdout)
        self.assertIn("2026-12-07T06:00 UTC", run.stdout)
        self.assertIn("Open-Meteo.com, CC BY 4.0", run.stdout)

    def test_a_station_of_the_stations_file(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "QuillmereStations.ini")
            with open(path, "w") as f:
                f.write("[Home]\nName=Home\nLocation=JO01\nHeightM=75\n"
                        "[DX]\nName=DX\nLocation=FN31\nHeightM=30\n")
            run = self.run_tool("--station", "dx", "--stations", path, "--json")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(json.loads(run.stdout)["pressure_hpa"], 1004.4)

    def test_a_same_host_redirect_is_followed(self):
        run = self.run_tool("--home", "JO01", "--json", scenario="redirect_same_host")
        self.assertEqual(run.returncode, 0, run.stderr)

    def test_each_failure_exits_1_with_its_message(self):
        cases = [
            ("bad_request", "HTTP 400): Latitude must be in range"),
            ("too_many", "too many requests (HTTP 429)"),
            ("server_error", "failed (HTTP 503)"),
            ("html", "a web page instead of the weather"),
            ("html_as_json", "a web page instead of the weather"),
            ("truncated", "reply was cut short"),
            ("malformed", "not valid JSON"),
            ("missing_temperature", "no temperature (temperature_2m)"),
            ("missing_humidity", "no relative humidity (relative_humidity_2m)"),
            ("missing_pressure", "no station pressure (surface_pressure)"),
            ("missing_pressure_msl", "no sea-level pressure (pressure_msl)"),
            ("missing_time", "no time of the observation"),
            ("temperature_out_of_range", "temperature of -120.0"),
            ("humidity_out_of_range", "relative humidity of 187.0"),
            ("pressure_out_of_range", "station pressure of 10044.0"),
            ("pressure_in_inhg", "station pressure in another unit"),
            ("redirect_off_host", "on to another host (127.0.0.2)"),
            ("huge", "far larger than any weather reply"),
            ("hang", "did not answer within"),
            ("no_such_page", "answered HTTP 404"),
        ]
        for scenario, message in cases:
            with self.subTest(scenario=scenario):
                run = self.run_tool("--home", "JO01", "--json", scenario=scenario)
                self.assertEqual(run.returncode, 1, run.stderr)
                self.assertEqual(run.stdout, "")
                self.assertIn(message, run.stderr)

    def test_a_refused_connection(self):
        url = "http://127.0.0.1:%d" % free_closed_port()
        run = self.run_tool("--home", "JO01", url=url)
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertIn("refused the connection", run.stderr)

    def test_bad_options_exit_2(self):
        for args in (["--home", "XX99"], ["--home", "JO01", "--station", "dx"],
                     ["--station", "dx"], ["--home", "JO01", "--weather-timeout", "0"],
                     ["--home", "JO01", "--frobnicate"], []):
            with self.subTest(args=args):
                run = self.run_tool(*args)
                self.assertEqual(run.returncode, 2, run.stderr)
        run = subprocess.run([TOOL, "--current-weather", "--weather-url", "ftp://x", "--home",
                              "JO01"], capture_output=True, text=True, timeout=60)
        self.assertEqual(run.returncode, 2)

    def test_help_names_the_source_and_licence(self):
        run = subprocess.run([TOOL, "--current-weather", "--help"], capture_output=True,
                             text=True, timeout=60)
        self.assertEqual(run.returncode, 0)
        self.assertIn("Open-Meteo.com, under CC BY 4.0", run.stdout)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
