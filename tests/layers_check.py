#!/usr/bin/env python3
"""The layer check: every library of the program uses only what the layer
diagram in README.md lets it use.

The diagram is the fenced block marked `layers` in README.md, one library a
line: `quillmere_path: quillmere_core` says that quillmere_path may use
quillmere_core and, through it, whatever quillmere_core may use. `Qt` stands
for the Qt libraries.

The build writes layer_targets.txt (cmake/layers.cmake): each library and
executable with its folder, its sources, headers included, and its links. A
header belongs to the target that lists it. The check fails when

- a library's source includes a header of a library it may not use, or of an
  executable;
- a library links a library (or Qt) it may not use;
- a library is missing from the diagram, or the diagram names one the build
  does not have;
- a header in a target's folder belongs to no target, or to two libraries.

  layers_check.py --readme README.md --targets build/layer_targets.txt
"""

import argparse
import os
import re
import sys

LIBRARY_TYPES = {
    "STATIC_LIBRARY",
    "SHARED_LIBRARY",
    "MODULE_LIBRARY",
    "OBJECT_LIBRARY",
    "INTERFACE_LIBRARY",
}
QT = "Qt"
HEADER_SUFFIXES = (".h", ".hpp", ".hh")
SCANNED_SUFFIXES = HEADER_SUFFIXES + (".cpp", ".cc", ".cxx", ".c", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
FENCE = re.compile(r"^\s*(```+|~~~+)\s*(\S*)")


class Target:
    def __init__(self, name, kind, source_dir, binary_dir):
        self.name = name
        self.kind = kind
        self.source_dir = source_dir
        self.binary_dir = binary_dir
        self.sources = []
        self.links = []

    @property
    def is_library(self):
        return self.kind in LIBRARY_TYPES


def read_diagram(readme):
    """The `layers` block of README.md as {library: [may use, ...]}, and errors."""
    diagram, errors = {}, []
    with open(readme, encoding="utf-8") as f:
        lines = f.read().splitlines()
    inside, found, fence = False, False, ""
    for number, line in enumerate(lines, 1):
        match = FENCE.match(line)
        if not inside:
            if match and match.group(2) == "layers":
                inside, found, fence = True, True, match.group(1)
            continue
        if match and match.group(1).startswith(fence) and not match.group(2):
            inside = False
            continue
        text = line.split("#", 1)[0].strip()
        if not text:
            continue
        name, colon, uses = text.partition(":")
        name = name.strip()
        if not colon or not name or " " in name:
            errors.append(f"{readme}:{number}: not a diagram line (library: uses...): {line}")
        elif name in diagram:
            errors.append(f"{readme}:{number}: {name} is in the layer diagram twice")
        else:
            diagram[name] = uses.split()
    if not found:
        errors.append(f"{readme}: no layer diagram (a fenced block marked `layers`)")
    for name, uses in diagram.items():
        for used in uses:
            if used != QT and used not in diagram:
                errors.append(
                    f"layer diagram: {name} uses {used}, which has no line of its own; "
                    f"add `{used}: ...` to the diagram in README.md"
                )
    return diagram, errors


def may_use(diagram):
    """Each library's closure: itself and everything it may use, directly or not."""
    closure = {}
    for name in diagram:
        seen, todo = {name}, [name]
        while todo:
            for used in diagram.get(todo.pop(), []):
                if used not in seen:
                    seen.add(used)
                    todo.append(used)
        closure[name] = seen
    return closure


def cycles(diagram, closure):
    return sorted(
        name
        for name, uses in diagram.items()
        if any(used != name and name in closure.get(used, ()) for used in uses)
    )


def read_targets(path):
    targets, current = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            fields = line.split("\t")
            if fields[0] == "target":
                current = Target(*fields[1:5])
                targets[current.name] = current
            elif fields[0] == "sources":
                current.sources = [resolve_source(current, s) for s in fields[1:] if s]
            elif fields[0] == "links":
                current.links = [link_name(s) for s in fields[1:] if link_name(s)]
    return targets


def resolve_source(target, source):
    """A source as CMake finds it: in the target's folder, else generated in its build folder."""
    if os.path.isabs(source):
        return os.path.normpath(source)
    in_source = os.path.join(target.source_dir, source)
    if os.path.exists(in_source):
        return os.path.normpath(in_source)
    return os.path.normpath(os.path.join(target.binary_dir, source))


def link_name(item):
    """A link item without the marks CMake adds to links made from another folder."""
    item = re.sub(r"::@\(?[0-9a-fx]*\)?$", "", item)
    if item.startswith("::@") or item.startswith("$<"):
        return ""
    return item


def is_qt(item):
    return re.match(r"^Qt[0-9]*::", item) is not None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--readme", required=True)
    parser.add_argument("--targets", required=True)
    args = parser.parse_args()
    root = os.path.dirname(os.path.abspath(args.readme))

    def shown(path):
        return os.path.relpath(path, root) if path.startswith(root + os.sep) else path

    diagram, errors = read_diagram(args.readme)
    closure = may_use(diagram)
    for name in cycles(diagram, closure):
        errors.append(f"layer diagram: {name} uses a library that uses it back; layers go one way")
    targets = read_targets(args.targets)
    libraries = {n: t for n, t in sorted(targets.items()) if t.is_library}

    for name, target in libraries.items():
        if name not in diagram:
            errors.append(
                f"{name} ({shown(target.source_dir)}) is not in the layer diagram: add a line "
                f"`{name}: <the libraries it uses>` to the `layers` block of README.md"
            )
    for name in diagram:
        if name not in libraries:
            errors.append(f"layer diagram: the build has no library {name}; remove its line from README.md")

    # Who owns each file: the targets that list it.
    owners = {}
    for target in targets.values():
        for source in target.sources:
            owners.setdefault(source, []).append(target)
    by_name = {}
    for path in owners:
        by_name.setdefault(os.path.basename(path), []).append(path)
    for path, owning in sorted(owners.items()):
        owning_libraries = [t.name for t in owning if t.is_library]
        if path.endswith(HEADER_SUFFIXES) and len(owning_libraries) > 1:
            errors.append(
                f"{shown(path)} is listed by {', '.join(owning_libraries)}: a header belongs to "
                f"one library, list it in that one's sources only"
            )

    # Every header in a folder that builds a target belongs to one.
    for directory in sorted({t.source_dir for t in targets.values()}):
        for entry in sorted(os.listdir(directory)):
            path = os.path.join(directory, entry)
            if entry.endswith(HEADER_SUFFIXES) and os.path.isfile(path) and path not in owners:
                errors.append(
                    f"{shown(path)} belongs to no target: list it in the sources of the "
                    f"library (or program) in {shown(directory)}/CMakeLists.txt it is part of"
                )

    def allowed_text(name):
        uses = sorted(closure.get(name, {name}) - {name})
        return ", ".join(uses) if uses else "nothing"

    # Links.
    for name, target in libraries.items():
        if name not in diagram:
            continue
        for item in target.links:
            if item in libraries and item not in closure[name]:
                errors.append(
                    f"{shown(target.source_dir)}/CMakeLists.txt: {name} links {item}, which the "
                    f"layer diagram does not let it use ({name} may use: {allowed_text(name)})"
                )
            elif item in targets and not targets[item].is_library:
                errors.append(f"{name} links the program {item}")
            elif is_qt(item) and QT not in closure[name]:
                errors.append(
                    f"{shown(target.source_dir)}/CMakeLists.txt: {name} links {item}, but its "
                    f"layer is Qt-free (no `{QT}` in its line or below in README.md's diagram)"
                )

    # Includes.
    scanned = 0
    for name, target in libraries.items():
        if name not in diagram:
            continue
        for source in target.sources:
            if not source.endswith(SCANNED_SUFFIXES) or not os.path.isfile(source):
                continue
            scanned += 1
            with open(source, encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                included = match.group(1)
                beside = os.path.normpath(os.path.join(os.path.dirname(source), included))
                if beside in owners:
                    candidates = [beside]
                else:
                    candidates = [
                        p
                        for p in by_name.get(os.path.basename(included), [])
                        if p.endswith(os.sep + os.path.normpath(included))
                    ]
                if not candidates:
                    continue  # a system, Qt or generated header of no target
                owning = {t.name: t for p in candidates for t in owners[p]}
                if any(o in closure[name] for o in owning):
                    continue
                for owner, owner_target in sorted(owning.items()):
                    where = f"{shown(source)}:{number}: {name} includes {included}"
                    if not owner_target.is_library:
                        errors.append(f"{where}, a header of the program {owner}, which no library may use")
                    else:
                        errors.append(
                            f"{where}, which belongs to {owner}; the layer diagram in README.md "
                            f"does not let {name} use {owner} ({name} may use: {allowed_text(name)})"
                        )

    if errors:
        print(f"The layers are broken ({len(errors)} problems):", file=sys.stderr)
        for error in errors:
            print("  " + error, file=sys.stderr)
        return 1
    print(f"{len(libraries)} libraries, {scanned} sources: every include and link within its layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
