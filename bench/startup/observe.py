#!/usr/bin/python3
"""Times Quillmere's start-up from outside, as an X client watching the server.

Started by ./run inside a private X server (xvfb-run). Each run starts the
program under /usr/bin/time in a working folder that holds the shipped data
file, and takes these moments, in milliseconds after the program was spawned:

  title    the main window's title becomes "Quillmere Absorbtion Attenuation
           Ver ...". Start-up sets it just before it loads the data file; the
           design-time title lacks the "Ver".
  shown    the first paint of that window after the title: the load sets every
           control synchronously and the recalculation writes every figure
           before the program returns to its event loop, so this paint is the
           one that puts the stored figures on screen.
  settled  the last paint of the burst that follows, once the window has been
           quiet for --quiet-ms (a later paint that tidies up, if any).

Paints are seen through the X DAMAGE extension, the title through
PropertyNotify; both arrive as events, so nothing here polls. The window is
then closed through its close box (WM_DELETE_WINDOW), as a user would, and
/usr/bin/time reports the program's peak memory (maximum resident set size).

With --bare, a bare Qt window (bare_window.cpp) takes its turn after every
run of the program and is timed the same way, its title being the main
window's; the summary then sets the program's median and peak beside it.

Prints one line per run and a summary; the exit status is 0 when every run
produced figures, 1 otherwise.
"""

import argparse
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import time

from Xlib import X, display as xdisplay, error as xerror
from Xlib.ext import damage
from Xlib.protocol import event as xevent

FULL_TITLE = "Quillmere Absorbtion Attenuation Ver"


class RunFailed(Exception):
    pass


def ms_since(t0_ns, t_ns):
    return (t_ns - t0_ns) / 1e6


class Observer:
    def __init__(self):
        self.d = xdisplay.Display()
        if not self.d.has_extension("DAMAGE"):
            raise SystemExit("observe: the X server has no DAMAGE extension")
        # The protocol wants the version agreed before any other request.
        self.d.damage_query_version()
        self.damage_event = self.d.extension_event.DamageNotify
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.a_wm_name = self.d.intern_atom("WM_NAME")
        self.a_net_wm_name = self.d.intern_atom("_NET_WM_NAME")
        self.a_utf8 = self.d.intern_atom("UTF8_STRING")
        self.a_protocols = self.d.intern_atom("WM_PROTOCOLS")
        self.a_delete = self.d.intern_atom("WM_DELETE_WINDOW")
        # Windows come and go under us (the program's helper windows, its
        # exit); requests on a vanished one fail harmlessly.
        self.d.set_error_handler(lambda err, req: None)
        self.d.sync()

    def title_of(self, win):
        for atom, kind in ((self.a_net_wm_name, self.a_utf8), (self.a_wm_name, X.AnyPropertyType)):
            try:
                prop = win.get_full_property(atom, kind)
            except xerror.XError:
                return ""
            if prop is not None and prop.value:
                value = prop.value
                return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)
        return ""

    def drain(self):
        """Events already received, each with the moment it was taken."""
        while self.d.pending_events():
            yield self.d.next_event(), time.monotonic_ns()

    def wait(self, timeout_s, proc_fd):
        """Sleeps until an X event arrives, the program ends or the time is up."""
        watch = [self.d] + ([proc_fd] if proc_fd is not None else [])
        select.select(watch, [], [], max(0.0, timeout_s))

    def close_window(self, win):
        ev = xevent.ClientMessage(
            window=win, client_type=self.a_protocols,
            data=(32, [self.a_delete, X.CurrentTime, 0, 0, 0]))
        win.send_event(ev, event_mask=X.NoEventMask)
        self.d.flush()

    def run_once(self, program, workdir, rss_file, log, timeout_s, quiet_ms):
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)  # the X server, not offscreen
        t0 = time.monotonic_ns()
        proc = subprocess.Popen(
            ["/usr/bin/time", "-f", "%M", "-o", rss_file, program],
            cwd=workdir, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            start_new_session=True)
        try:
            proc_fd = os.pidfd_open(proc.pid)  # readable once the program has ended
        except (AttributeError, OSError):
            proc_fd = None
        watched = {}  # window id -> window, with damage tracking on it
        main = None
        t_title = t_shown = t_settled = None
        deadline = t0 + int(timeout_s * 1e9)
        try:
            while True:
                for ev, t in self.drain():
                    if ev.type == X.CreateNotify and ev.window.id not in watched:
                        win = ev.window
                        win.change_attributes(event_mask=X.PropertyChangeMask)
                        win.damage_create(damage.DamageReportRawRectangles)
                        watched[win.id] = win
                        # The title may have been set before we listened.
                        if main is None and self.title_of(win).startswith(FULL_TITLE):
                            main, t_title = win, t
                    elif ev.type == X.PropertyNotify and main is None:
                        if ev.atom in (self.a_net_wm_name, self.a_wm_name) and \
                                self.title_of(ev.window).startswith(FULL_TITLE):
                            main, t_title = ev.window, t
                    elif ev.type == self.damage_event and main is not None and \
                            ev.drawable.id == main.id:
                        if t_shown is None:
                            t_shown = t
                        t_settled = t
                self.d.flush()
                now = time.monotonic_ns()
                if t_settled is not None and now - t_settled >= quiet_ms * 1_000_000:
                    break
                if proc.poll() is not None:
                    raise RunFailed(f"the program ended (status {proc.returncode}) before its window was shown")
                if now >= deadline:
                    raise RunFailed(f"no window with the stored figures within {timeout_s:g} s")
                wait_s = (deadline - now) / 1e9
                if t_settled is not None:
                    wait_s = min(wait_s, (t_settled + quiet_ms * 1_000_000 - now) / 1e9)
                if proc_fd is None:
                    wait_s = min(wait_s, 0.1)  # no pidfd: look at the program now and then
                self.wait(wait_s, proc_fd)

            self.close_window(main)
            try:
                proc.wait(timeout=timeout_s)
            except subprocess.TimeoutExpired:
                raise RunFailed("the program did not end after its window was closed")
        finally:
            stop(proc)
            if proc_fd is not None:
                os.close(proc_fd)
            for win in watched.values():
                win.change_attributes(event_mask=X.NoEventMask)
            self.d.sync()
            for _ in self.drain():
                pass
        return ms_since(t0, t_title), ms_since(t0, t_shown), ms_since(t0, t_settled)


def stop(proc):
    """Ends the program (and /usr/bin/time above it) if it still runs."""
    if proc.poll() is not None:
        return
    for sig, grace in ((signal.SIGTERM, 3), (signal.SIGKILL, 3)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            pass


def read_rss_mb(path):
    """The peak resident set size in MB (10^6 bytes) from /usr/bin/time's
    figure in KiB, which is the last line (a line about a signal comes first
    when the program was killed)."""
    try:
        with open(path) as f:
            lines = [ln.strip() for ln in f if ln.strip()]
        return int(lines[-1]) * 1024 / 1e6
    except (OSError, ValueError, IndexError):
        return None


def summarise(name, results, failures):
    """Prints the medians of one program's runs; returns (median shown ms,
    peak MB or None)."""
    med = [statistics.median(r[k] for r in results) for k in range(3)]
    rss_values = [r[3] for r in results if r[3] is not None]
    print(f"{name}: {len(results)} runs, {failures} failed")
    print(f"  median ms: title {med[0]:.1f}, shown {med[1]:.1f}, settled {med[2]:.1f}"
          f" (fastest shown {min(r[1] for r in results):.1f},"
          f" slowest {max(r[1] for r in results):.1f})")
    peak = max(rss_values) if rss_values else None
    if rss_values:
        print(f"  peak memory (maximum resident set size): {peak:.1f} MB at most,"
              f" median {statistics.median(rss_values):.1f} MB")
    return med[1], peak


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--program", required=True)
    ap.add_argument("--bare", help="the bare window to time beside the program, run for run")
    ap.add_argument("--data", required=True, help="the data file to start with (Quillmere.dat)")
    ap.add_argument("--placement", required=True, help="the window placement file (QuillmereS.ini)")
    ap.add_argument("--workdir", required=True, help="an empty folder to run in")
    ap.add_argument("--runs", type=int, default=15)
    ap.add_argument("--timeout", type=float, default=20.0, help="seconds per run before giving up")
    ap.add_argument("--quiet-ms", type=float, default=250.0)
    ap.add_argument("--target-ms", type=float, default=300.0)
    ap.add_argument("--target-mb", type=float, default=60.0)
    ap.add_argument("--target-ratio", type=float, default=1.3,
                    help="the program's median shown over the bare window's, at most")
    ap.add_argument("--target-extra-mb", type=float, default=5.0,
                    help="the program's peak memory over the bare window's, at most")
    ap.add_argument("--log", required=True, help="where the program's own output goes")
    args = ap.parse_args()

    obs = Observer()
    rss_file = os.path.join(args.workdir, ".maxrss")
    programs = [("program", args.program)] + ([("bare", args.bare)] if args.bare else [])
    results = {name: [] for name, _ in programs}
    failures = {name: 0 for name, _ in programs}
    print(f"{'run':>4} {'':<8} {'title ms':>9} {'shown ms':>9} {'settled ms':>11} {'max RSS MB':>12}")
    with open(args.log, "ab") as log:
        for i in range(1, args.runs + 1):
            # The program and the bare window take turns, so that both see
            # the machine as it is at that moment.
            for name, program in programs:
                # Every run starts from the same files: closing the window
                # writes the placement back.
                for src, file_name in ((args.data, "Quillmere.dat"),
                                       (args.placement, "QuillmereS.ini")):
                    shutil.copyfile(src, os.path.join(args.workdir, file_name))
                if os.path.exists(rss_file):
                    os.remove(rss_file)
                try:
                    title, shown, settled = obs.run_once(
                        program, args.workdir, rss_file, log, args.timeout, args.quiet_ms)
                except RunFailed as e:
                    failures[name] += 1
                    print(f"{i:>4} {name:<8} failed: {e}")
                    continue
                rss = read_rss_mb(rss_file)
                results[name].append((title, shown, settled, rss))
                rss_text = f"{rss:12.1f}" if rss is not None else f"{'?':>12}"
                print(f"{i:>4} {name:<8} {title:9.1f} {shown:9.1f} {settled:11.1f} {rss_text}",
                      flush=True)

    if any(not r for r in results.values()):
        print("no run of " + ", ".join(n for n, r in results.items() if not r) + " produced figures")
        return 1
    print()
    shown, peak = summarise("program", results["program"], failures["program"])
    verdict = "within" if shown <= args.target_ms else "OVER"
    print(f"start-up, process start to the window shown with the stored figures:"
          f" median {shown:.0f} ms, {verdict} the target of {args.target_ms:g} ms")
    if peak is not None:
        verdict = "within" if peak <= args.target_mb else "OVER"
        print(f"peak memory: {peak:.1f} MB, {verdict} the target of {args.target_mb:g} MB")
    if args.bare:
        bare_shown, bare_peak = summarise("bare window", results["bare"], failures["bare"])
        ratio = shown / bare_shown
        verdict = "within" if ratio <= args.target_ratio else "OVER"
        print(f"start-up against the bare window: {shown:.1f} / {bare_shown:.1f} ms ="
              f" {ratio:.2f}x, {verdict} the target of {args.target_ratio:g}x")
        if peak is not None and bare_peak is not None:
            extra = peak - bare_peak
            verdict = "within" if extra <= args.target_extra_mb else "OVER"
            print(f"peak memory against the bare window: {peak:.1f} - {bare_peak:.1f} MB ="
                  f" {extra:+.1f} MB, {verdict} the target of {args.target_extra_mb:g} MB")
    return 1 if any(failures.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
