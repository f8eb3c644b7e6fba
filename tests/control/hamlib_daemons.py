#!/usr/bin/env python3
"""Starts or stops Hamlib's dummy rotator and rig daemons for the tests.

  hamlib_daemons.py start STATE   rotctld -m 1 and rigctld -m 1 on 127.0.0.1,
                                  each on a free port, waited for until they
                                  accept; STATE gets "NAME PORT PID" lines
  hamlib_daemons.py stop STATE    stops the daemons STATE names, by their pids
"""
import os
import signal
import socket
import subprocess
import sys
import time

DAEMONS = ("rotctld", "rigctld")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.2):
            return True
    except OSError:
        return False


def start(state):
    lines = []
    for name in DAEMONS:
        for _ in range(5):  # a port taken between the probe and the bind: another
            port = free_port()
            proc = subprocess.Popen([name, "-m", "1", "-T", "127.0.0.1", "-t", str(port)],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                    start_new_session=True)
            deadline = time.monotonic() + 10.0
            while proc.poll() is None and time.monotonic() < deadline and not accepts(port):
                time.sleep(0.05)
            if proc.poll() is None and accepts(port):
                lines.append(f"{name} {port} {proc.pid}\n")
                break
            if proc.poll() is None:
                proc.kill()
        else:
            sys.exit(f"{name} did not start")
    with open(state, "w") as f:
        f.writelines(lines)


def stop(state):
    try:
        with open(state) as f:
            entries = [line.split() for line in f if line.strip()]
    except FileNotFoundError:
        return
    for name, _port, pid in entries:
        try:
            os.kill(int(pid), signal.SIGTERM)
        except ProcessLookupError:
            pass
    os.remove(state)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit(__doc__)
    (start if sys.argv[1] == "start" else stop)(sys.argv[2])
