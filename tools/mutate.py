#!/usr/bin/env python3
"""Plants simple single-line faults in the sources, one at a time, and tells which ones the tests
let through.

    tools/mutate.py [--build DIR] [--per-file N] [--seed S] [--timeout SECONDS] FOLDER...

For each source file below the FOLDERs (src/base, src/conversion, ...), every place where one of
the faults below can be planted is found; up to N of them per file (all with --per-file 0) are
tried, chosen at random with the seed S. Each fault is planted in the file, the build folder DIR
(configured once, with the tests) is rebuilt, and the tests of the folder's label are run (ctest
-L, each test stopped after the timeout, so that a fault that makes a test loop counts as caught).
A fault that does not compile is not counted, nor one that leaves every object file as it was:
it lies in code this platform does not compile (FilesWindows.cpp, an #ifdef _WIN32 part), or the
compiler makes the same code of it. The file is always put back as it was.

The faults: a comparison turned round (== and !=, < and >=, > and <=), && and || swapped, true and
false swapped, a ! dropped, a number one off, + and - swapped, a statement dropped.

Prints each fault that got through, then the share caught per folder. Not part of the test run:
it takes minutes per fault planted.
"""
import argparse
import hashlib
import os
import random
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The tests that judge each folder's code, by ctest label.
LABELS = {
    "src/base": "core|cli|settings",
    "src/conversion": "core|cli",
    "src/cli": "cli",
    "src/settings": "settings",
    "src/ui": "window",
}

SWAPS = [
    (r"==", "!="), (r"!=", "=="),
    (r"(?<![<>=!])<(?![<=])", ">="), (r"(?<![<>=!-])>(?![>=])", "<="),
    (r"<=", ">"), (r">=", "<"),
    (r"&&", "||"), (r"\|\|", "&&"),
    (r"\btrue\b", "false"), (r"\bfalse\b", "true"),
    (r"(?<![!=])!(?!=)", ""),
    (r"(?<=[\s(\[])\+(?=[\s])", "-"), (r"(?<=[\s(\[])-(?=\s)", "+"),
]
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")


def code_part(line):
    """The line without its comment and with string and character literals blanked out, so that
    faults are planted in code only; same length as the line."""
    out = []
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\" and i + 1 < len(line):
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def candidates(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    found = []
    for number, line in enumerate(lines):
        stripped = line.strip()
        if (not stripped or stripped.startswith(("#", "//", "*", "/*")) or
                "static_assert" in line or "template" in line or "operator" in line):
            continue
        code = code_part(line)
        # Only in the angle brackets of expressions, not of templates or includes.
        for pattern, replacement in SWAPS:
            for match in re.finditer(pattern, code):
                if ("<" in pattern or ">" in pattern) and re.search(r"\w<\w|\w>", code):
                    continue
                mutant = line[:match.start()] + replacement + line[match.end():]
                found.append((number, mutant, f"{match.group(0)} -> {replacement or 'nothing'}"))
        for match in NUMBER.finditer(code):
            value = int(match.group(1))
            mutant = line[:match.start()] + str(value + 1) + line[match.end():]
            found.append((number, mutant, f"{value} -> {value + 1}"))
        if (code.rstrip().endswith(";") and not re.match(r"\s*(return|break|continue|case|default)\b", code)
                and "=" not in code.replace("==", "") and "(" in code and not re.match(
                    r"\s*[\w:<>,* &]+\s+\w+\s*[({]", code)):
            found.append((number, "", "statement dropped"))
    return lines, found


class CompiledCode:
    """The object files of a build, so that a fault that changes none of them is told apart: no
    test on this platform can catch it."""

    def __init__(self, build):
        self.build = build
        self.clean = {path: (os.stat(path).st_mtime_ns, self.digest(path))
                      for path in self.objects()}

    def objects(self):
        for folder, _, names in os.walk(self.build):
            yield from (os.path.join(folder, name) for name in names if name.endswith(".o"))

    @staticmethod
    def digest(path):
        with open(path, "rb") as f:
            return hashlib.sha1(f.read()).hexdigest()

    def changed(self):
        """Whether an object file differs from the one built from the unchanged sources."""
        differs = False
        for path in self.objects():
            mtime = os.stat(path).st_mtime_ns
            known = self.clean.get(path)
            if known is None:
                differs = True
            elif known[0] != mtime:
                if self.digest(path) == known[1]:
                    self.clean[path] = (mtime, known[1])
                else:
                    differs = True
        return differs


def run(command, timeout=None):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, timeout=timeout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folders", nargs="+")
    parser.add_argument("--build", default="build-mutation")
    parser.add_argument("--per-file", type=int, default=6)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--timeout", type=int, default=60)
    options = parser.parse_args()
    build = os.path.join(ROOT, options.build)

    if not os.path.isdir(os.path.join(build, "CMakeFiles")):
        result = run(["cmake", "-S", ".", "-B", build, "-DCMAKE_BUILD_TYPE=Debug",
                      "-DCMAKE_CXX_FLAGS_DEBUG=-O0"])
        if result.returncode != 0:
            sys.exit(result.stdout)
    if run(["cmake", "--build", build, "-j2"]).returncode != 0:
        sys.exit("the unchanged sources do not build in " + build)

    random.seed(options.seed)
    totals = {}
    for folder in options.folders:
        label = LABELS.get(folder.rstrip("/"), "core")
        caught = through = unbuilt = unchanged = 0
        compiled = CompiledCode(build)
        for name in sorted(os.listdir(os.path.join(ROOT, folder))):
            if not name.endswith(".cpp") and not name.endswith(".h"):
                continue
            path = os.path.join(ROOT, folder, name)
            lines, found = candidates(path)
            if options.per_file > 0 and len(found) > options.per_file:
                found = random.sample(found, options.per_file)
            original = "\n".join(lines)
            for number, mutant, what in found:
                planted = lines[:number] + [mutant] + lines[number + 1:]
                try:
                    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                        f.write("\n".join(planted))
                    if run(["cmake", "--build", build, "-j2"]).returncode != 0:
                        unbuilt += 1
                        continue
                    if not compiled.changed():
                        unchanged += 1
                        print(f"same code: {folder}/{name}:{number + 1}: {what}", flush=True)
                        continue
                    try:
                        result = run(["ctest", "--test-dir", build, "-L", label, "-j2",
                                      "--timeout", str(options.timeout), "--stop-on-failure"],
                                     timeout=options.timeout * 20)
                        passed = result.returncode == 0
                    except subprocess.TimeoutExpired:
                        passed = False
                    if passed:
                        through += 1
                        print(f"through: {folder}/{name}:{number + 1}: {what}: {mutant.strip()}",
                              flush=True)
                    else:
                        caught += 1
                finally:
                    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                        f.write(original)
        totals[folder] = (caught, through, unbuilt, unchanged)
    # Leave the build as the sources are.
    run(["cmake", "--build", build, "-j2"])
    for folder, (caught, through, unbuilt, unchanged) in totals.items():
        tried = caught + through
        share = 100.0 * caught / tried if tried else 0.0
        print(f"{folder}: {caught} of {tried} faults caught ({share:.0f} %), "
              f"{unbuilt} did not compile, {unchanged} left the compiled code as it was")


if __name__ == "__main__":
    main()
