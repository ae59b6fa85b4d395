#!/usr/bin/env python3
"""Plants simple single-line faults in the sources, one at a time, and tells which ones the tests
let through.

    tools/mutate.py [--build DIR] [--per-file N] [--seed S] [--timeout SECONDS] [--again LOG]
                    FOLDER...

For each source file below the FOLDERs (src/base, src/conversion, ...), every place where one of
the faults below can be planted is found; up to N of them per file (all with --per-file 0) are
tried, chosen at random with the seed S. Each fault is planted in the file, the build folder DIR
(configured once, with the tests) is rebuilt, only the programs those tests run, and the tests of
the folder's labels are run (ctest -L, but not the benchmarks; each test stopped after the
timeout, so that a fault that makes a test loop counts as caught). A fault that does not compile
is not counted. The file is always put back as it was. With --again LOG, only the faults that LOG
(the output of an earlier run) lists as got through are tried again, to see whether new tests
catch them.

The faults: a comparison turned round (== and !=, < and >=, > and <=), && and || swapped, true and
false swapped, a ! dropped, a number one off, + and - swapped, a statement dropped.

Prints each fault as it is judged (caught or got through), then the share caught per folder.
Not part of the test run: it takes minutes per fault planted.
"""
import argparse
import json
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


def label_targets(build, label):
    """The build targets of the programs that the tests of `label` run: each test program has the
    name of its target and lies in the build's bin folder."""
    def listed():
        result = run(["ctest", "--test-dir", build, "-L", label, "-LE", "bench",
                      "--show-only=json-v1"])
        if result.returncode != 0:
            sys.exit(result.stdout)
        return json.loads(result.stdout[result.stdout.index("{"):])["tests"]

    tests = listed()
    # ctest knows a program's path, and the test programs' own tests, once it is built.
    if not os.path.isdir(os.path.join(build, "bin")) or any("command" not in t for t in tests):
        if run(["cmake", "--build", build, "-j2"]).returncode != 0:
            sys.exit("the unchanged sources do not build in " + build)
        tests = listed()
    bin_dir = os.path.join(build, "bin")
    targets = set()
    for test in tests:
        program = test["command"][0]
        if os.path.dirname(program) == bin_dir:
            targets.add(os.path.basename(program))
    if not targets:
        sys.exit(f"no test of the label {label} in {build}")
    return sorted(targets)


def earlier_survivors(log):
    """The faults an earlier run's output lists as got through, as (path, line number, what,
    planted line without its indentation)."""
    found = set()
    with open(log, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            match = re.match(r"through: (.+?):(\d+): (.+?): (.*)$", line.rstrip("\n"))
            if match:
                found.add((match.group(1), int(match.group(2)), match.group(3), match.group(4)))
    return found


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
    parser.add_argument("--again", metavar="LOG")
    options = parser.parse_args()
    build = os.path.join(ROOT, options.build)
    again = earlier_survivors(options.again) if options.again else None

    if not os.path.isdir(os.path.join(build, "CMakeFiles")):
        result = run(["cmake", "-S", ".", "-B", build, "-DCMAKE_BUILD_TYPE=Debug",
                      "-DCMAKE_CXX_FLAGS_DEBUG=-O0"])
        if result.returncode != 0:
            sys.exit(result.stdout)

    random.seed(options.seed)
    totals = {}
    for folder in options.folders:
        label = LABELS.get(folder.rstrip("/"), "core")
        build_command = ["cmake", "--build", build, "-j2", "--target"] + label_targets(build, label)
        if run(build_command).returncode != 0:
            sys.exit(f"the unchanged sources do not build in {build}")
        caught = through = unbuilt = 0
        top = os.path.join(ROOT, folder)
        names = sorted(os.path.relpath(os.path.join(where, file), top)
                       for where, _, files in os.walk(top) for file in files)
        for name in names:
            if not name.endswith(".cpp") and not name.endswith(".h"):
                continue
            path = os.path.join(top, name)
            lines, found = candidates(path)
            if again is not None:
                shown = f"{folder.rstrip('/')}/{name}"
                found = [(number, mutant, what) for number, mutant, what in found
                         if (shown, number + 1, what, mutant.strip()) in again]
            elif options.per_file > 0 and len(found) > options.per_file:
                found = random.sample(found, options.per_file)
            original = "\n".join(lines)
            for number, mutant, what in found:
                planted = lines[:number] + [mutant] + lines[number + 1:]
                try:
                    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                        f.write("\n".join(planted))
                    if run(build_command).returncode != 0:
                        unbuilt += 1
                        continue
                    try:
                        result = run(["ctest", "--test-dir", build, "-L", label, "-LE", "bench", "-j2",
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
                        print(f"caught: {folder}/{name}:{number + 1}: {what}", flush=True)
                finally:
                    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                        f.write(original)
        totals[folder] = (caught, through, unbuilt)
    # Leave the build as the sources are.
    if options.folders:
        run(build_command)
    for folder, (caught, through, unbuilt) in totals.items():
        tried = caught + through
        share = 100.0 * caught / tried if tried else 0.0
        print(f"{folder}: {caught} of {tried} faults caught ({share:.0f} %), "
              f"{unbuilt} did not compile")


if __name__ == "__main__":
    main()
