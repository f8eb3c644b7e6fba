#!/usr/bin/env python3
"""The layer check itself, on a small made-up project: three libraries in a
row (top uses mid, mid uses low), a Qt library and a program, and one fault
at a time put into it."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "layers_check.py")

DIAGRAM = """\
# Made up

```layers
# library: the libraries it may use
low:
mid: low   # through it, low's
top: mid
view: mid Qt
```
"""

# name -> (type, folder, sources, links)
TARGETS = {
    "low": ("STATIC_LIBRARY", "low", ["low.h", "low.cpp"], []),
    "mid": ("STATIC_LIBRARY", "mid", ["mid.h", "mid.cpp"], ["low"]),
    "top": ("INTERFACE_LIBRARY", "top", ["top.h"], ["mid"]),
    "view": ("STATIC_LIBRARY", "view", ["view.h", "view.cpp"], ["mid", "Qt6::Widgets"]),
    "tool": ("EXECUTABLE", "view", ["tool.h", "tool.cpp"], ["view"]),
}

FILES = {
    "low/low.h": "#pragma once\n",
    "low/low.cpp": '#include "low.h"\n#include <cmath>\n',
    "mid/mid.h": '#pragma once\n#include "low.h"\n',
    "mid/mid.cpp": '#include "mid.h"\n',
    "top/top.h": '#pragma once\n#include "mid.h"\n#include "low.h"\n',
    "view/view.h": "#pragma once\n#include <QWidget>\n",
    "view/view.cpp": '#include "view.h"\n#include "top_secret.h"\n',
    "view/tool.h": "#pragma once\n",
    "view/tool.cpp": '#include "tool.h"\n#include "view.h"\n',
}


def run_check(diagram=DIAGRAM, targets=None, files=None):
    """The check's exit status and its messages, on the project as changed."""
    targets = dict(TARGETS, **(targets or {}))
    files = dict(FILES, **(files or {}))
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            if text is None:
                continue
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        with open(os.path.join(root, "README.md"), "w", encoding="utf-8") as f:
            f.write(diagram)
        lines = []
        for name, spec in targets.items():
            if spec is None:
                continue
            kind, folder, sources, links = spec
            source_dir = os.path.join(root, folder)
            lines.append("\t".join(["target", name, kind, source_dir, root + "/build/" + folder]))
            lines.append("\t".join(["sources"] + sources))
            lines.append("\t".join(["links"] + links))
        with open(os.path.join(root, "targets.txt"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        done = subprocess.run(
            [sys.executable, CHECK, "--readme", os.path.join(root, "README.md"),
             "--targets", os.path.join(root, "targets.txt")],
            capture_output=True, text=True, check=False)
        return done.returncode, done.stdout + done.stderr


class LayerCheck(unittest.TestCase):
    def test_the_project_as_drawn_passes(self):
        # top includes low's header through mid: allowed, as mid uses low.
        status, out = run_check()
        self.assertEqual(status, 0, out)

    def test_each_fault_fails_with_what_to_do(self):
        cases = [
            ("an include of a higher layer",
             {}, {"low/low.cpp": '#include "low.h"\n#include "mid.h"\n'}, DIAGRAM,
             "low/low.cpp:2: low includes mid.h, which belongs to mid; the layer diagram "
             "in README.md does not let low use mid (low may use: nothing)"),
            ("an include of a program's header",
             {}, {"mid/mid.cpp": '#include "mid.h"\n#include "tool.h"\n'}, DIAGRAM,
             "mid/mid.cpp:2: mid includes tool.h, a header of the program tool"),
            ("a link to a higher layer",
             {"low": ("STATIC_LIBRARY", "low", ["low.h", "low.cpp"], ["top"])}, {}, DIAGRAM,
             "low links top, which the layer diagram does not let it use"),
            ("Qt in a Qt-free layer",
             {"mid": ("STATIC_LIBRARY", "mid", ["mid.h", "mid.cpp"], ["low", "Qt6::Core"])},
             {}, DIAGRAM, "mid links Qt6::Core, but its layer is Qt-free"),
            ("a library the diagram lacks",
             {"cli": ("STATIC_LIBRARY", "mid", ["mid.cpp"], [])}, {}, DIAGRAM,
             "cli (mid) is not in the layer diagram: add a line `cli: <the libraries it uses>`"),
            ("a library the build lacks",
             {}, {}, DIAGRAM.replace("view: mid Qt\n", "view: mid Qt\nold: low\n"),
             "the build has no library old; remove its line"),
            ("a use of a library with no line",
             {}, {}, DIAGRAM.replace("top: mid", "top: mid gone"),
             "top uses gone, which has no line of its own"),
            ("layers that go both ways",
             {}, {}, DIAGRAM.replace("low:", "low: top"),
             "low uses a library that uses it back"),
            ("a header of no target",
             {}, {"mid/extra.h": "#pragma once\n"}, DIAGRAM,
             "mid/extra.h belongs to no target"),
            ("a header of two libraries",
             {"top": ("INTERFACE_LIBRARY", "top", ["top.h", "../low/low.h"], ["mid"])}, {},
             DIAGRAM, "low/low.h is listed by low, top: a header belongs to one library"),
            ("no diagram at all",
             {}, {}, "# Made up\n", "no layer diagram"),
        ]
        for what, targets, files, diagram, message in cases:
            with self.subTest(what):
                status, out = run_check(diagram, targets, files)
                self.assertEqual(status, 1, out)
                self.assertIn(message, out)


if __name__ == "__main__":
    unittest.main()
