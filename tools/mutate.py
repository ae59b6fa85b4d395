#!/usr/bin/env python3
"""Plants simple single-line faults in the sources, one at a time, and tells which ones the tests
let through.

    tools/mutate.py [--build DIR] [--per-file N] [--seed S] [--timeout SECONDS] [--again LOG]
                    FOLDER|FILE...

For each source file below the FOLDERs (src/base, src/conversion, ...), every place where one of
the faults below can be planted is found; up to N of them per file (all with --per-file 0) are
tried, chosen at random with the seed S. A FILE (src/base/Paths.cpp) is judged alone, by the
tests of its folder. Each fault is planted in the file, the build folder DIR
(configured once, with the tests) is rebuilt, and the tests of the folder's label are run (ctest
-L; the whole run is stopped after three times the timeout, since a test's own TIMEOUT outweighs
ctest's --timeout, so that a fault that makes a test loop counts as caught).
A fault that does not compile is not counted, nor is one that leaves every object file as it was
(a file or a line that this build does not compile: the Windows sources on Linux). Only the tests of the programs the fault was built into are run.
The file is always put back as it was.

The faults: a comparison turned round (== and !=, < and >=, > and <=), && and || swapped, true and
false swapped, a ! dropped, a number one off, + and - swapped, a statement dropped.

Prints each fault as caught or got through, then the share caught per folder. With --again LOG,
plants only the faults that got through in that earlier output (after tests were added). Not part of the test run:
it takes minutes per fault planted.
"""
import argparse
import hashlib
import json
import os
import random
import re
import signal
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


def run(command):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True)


def passes(command, timeout):
    """Whether the tests pass within `timeout` seconds; those still running then are ended."""
    process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return process.wait(timeout=timeout) == 0
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return False


def compiled_sources(build):
    """The sources the build folder compiles, from its compile_commands.json."""
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        return {os.path.realpath(entry["file"]) for entry in json.load(f)}


def objects(build):
    """A digest of every object file of the build folder, by path."""
    found = {}
    for folder, _, names in os.walk(build):
        for name in names:
            if name.endswith(".o"):
                with open(os.path.join(folder, name), "rb") as f:
                    found[os.path.join(folder, name)] = hashlib.sha1(f.read()).digest()
    return found


def programs(build):
    """Modification time of every program the build folder links, by path."""
    found = {}
    for folder, _, names in os.walk(build):
        for name in names:
            path = os.path.join(folder, name)
            if "CMakeFiles" not in folder and os.access(path, os.X_OK) and os.path.isfile(path):
                found[os.path.realpath(path)] = os.stat(path).st_mtime_ns
    return found


def tests_of(build, label):
    """The ctest tests carrying one of the labels: (number, name, paths in its command)."""
    listed = json.loads(run(["ctest", "--test-dir", build, "--show-only=json-v1"]).stdout)
    wanted = set(label.split("|"))
    found = []
    for number, test in enumerate(listed["tests"], start=1):
        labels = set()
        for prop in test.get("properties", []):
            if prop["name"] == "LABELS":
                labels.update(prop["value"])
        if labels & wanted:
            paths = {os.path.realpath(part) for part in test.get("command", [])}
            found.append((number, test["name"], paths))
    return found


def shown(line, mutant):
    """How a fault reads in the output: the changed line, or the line that was dropped."""
    return (mutant or line).strip()


def sampled(folder, names, compiled, per_file):
    """The faults to plant in the files `names` of the folder: (file name, line index, mutant
    line, what)."""
    for name in names:
        if not name.endswith(".cpp") and not name.endswith(".h"):
            continue
        path = os.path.join(ROOT, folder, name)
        if name.endswith(".cpp") and os.path.realpath(path) not in compiled:
            continue
        _, found = candidates(path)
        if per_file > 0 and len(found) > per_file:
            found = random.sample(found, per_file)
        for number, mutant, what in found:
            yield name, number, mutant, what


def again(folder, names, log):
    """The faults of the folder that got through in an earlier run's output LOG, found again by
    what they change (the line may have moved since)."""
    pattern = re.compile(r"through: " + re.escape(folder.rstrip("/")) +
                         r"/([^/:]+):(\d+): (.*?): (.*)$")
    with open(log, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            match = pattern.match(line.rstrip("\n"))
            if not match:
                continue
            name, at, what, text = match.group(1), int(match.group(2)) - 1, match.group(3), \
                match.group(4)
            if name not in names:
                continue
            lines, found = candidates(os.path.join(ROOT, folder, name))
            same = [(number, mutant) for number, mutant, kind in found
                    if kind == what and shown(lines[number], mutant) == text]
            if not same:
                print(f"gone: {folder}/{name}:{at + 1}: {what}: {text}", flush=True)
                continue
            number, mutant = min(same, key=lambda fault: abs(fault[0] - at))
            yield name, number, mutant, what


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folders", nargs="+")
    parser.add_argument("--build", default="build-mutation")
    parser.add_argument("--per-file", type=int, default=6)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--timeout", type=int, default=60)
    parser.add_argument("--again", metavar="LOG",
                        help="plant only the faults that got through in an earlier run's output")
    options = parser.parse_args()
    build = os.path.join(ROOT, options.build)

    if not os.path.isdir(os.path.join(build, "CMakeFiles")):
        result = run(["cmake", "-S", ".", "-B", build, "-DCMAKE_BUILD_TYPE=Debug",
                      "-DCMAKE_CXX_FLAGS_DEBUG=-O0"])
        if result.returncode != 0:
            sys.exit(result.stdout)
    if run(["cmake", "--build", build, "-j2"]).returncode != 0:
        sys.exit("the unchanged sources do not build in " + build)

    compiled = compiled_sources(build)
    # A fault's build also puts back the file of the fault before it, so each build is compared
    # with the unchanged one.
    unchanged = objects(build)
    random.seed(options.seed)
    totals = {}
    for given in options.folders:
        folder, names = given.rstrip("/"), None
        if os.path.isfile(os.path.join(ROOT, folder)):
            # A file is judged by the tests of the library it belongs to (its headers lie in
            # include/<library>/ below the library's folder).
            library = next((known for known in LABELS if folder.startswith(known + "/")),
                           os.path.dirname(folder))
            folder, names = library, [os.path.relpath(folder, library)]
        top = os.path.join(ROOT, folder)
        names = names or sorted(os.path.relpath(os.path.join(where, file), top)
                                for where, _, files in os.walk(top) for file in files)
        label = LABELS.get(folder, "core")
        caught = through = unbuilt = 0
        tests = tests_of(build, label)
        named = set().union(*(paths for _, _, paths in tests))
        faults = (again(folder, names, options.again) if options.again else
                  sampled(folder, names, compiled, options.per_file))
        for name, number, mutant, what in faults:
            path = os.path.join(ROOT, folder, name)
            with open(path, encoding="utf-8", errors="surrogateescape") as f:
                original = f.read()
            lines = original.split("\n")
            planted = lines[:number] + [mutant] + lines[number + 1:]
            where = f"{folder}/{name}:{number + 1}: {what}: {shown(lines[number], mutant)}"
            try:
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write("\n".join(planted))
                before = programs(build)
                if run(["cmake", "--build", build, "-j2"]).returncode != 0:
                    unbuilt += 1
                    continue
                rebuilt = {program for program, time in programs(build).items()
                           if before.get(program) != time}
                if not rebuilt or objects(build) == unchanged:
                    # A header that no compiled source includes, or a line the preprocessor
                    # leaves out here (#ifdef _WIN32).
                    unbuilt += 1
                    print(f"not built: {where}", flush=True)
                    continue
                # A program that the tests start without naming it (the batch tool) is tested by
                # them all.
                chosen = [str(test) for test, _, paths in tests
                          if paths & rebuilt or not rebuilt <= named]
                if passes(["ctest", "--test-dir", build, "-I", "0,0,0," + ",".join(chosen), "-j2",
                           "--timeout", str(options.timeout), "--stop-on-failure"],
                          options.timeout * 3):
                    through += 1
                    print(f"through: {where}", flush=True)
                else:
                    caught += 1
                    print(f"caught: {where}", flush=True)
            finally:
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write(original)
        totals[given] = (caught, through, unbuilt)
    # Leave the build as the sources are.
    run(["cmake", "--build", build, "-j2"])
    for folder, (caught, through, unbuilt) in totals.items():
        tried = caught + through
        share = 100.0 * caught / tried if tried else 0.0
        print(f"{folder}: {caught} of {tried} faults caught ({share:.0f} %), "
              f"{unbuilt} did not compile or are not in this build")


if __name__ == "__main__":
    main()
