#!/usr/bin/env python3
"""Mutation testing: does the suite notice a planted fault?

Each mutant in tools/mutants/*.txt is one source edit, a realistic programmer's mistake. The
script copies the working tree to a scratch folder, builds it and its tests once (the viewer
too when a mutant is in its folders), then for each mutant applies the edit to that copy,
rebuilds incrementally, runs the tests (the windows' on the offscreen platform) and puts the
file back. A mutant is "killed" when a test fails (or the tests time out),
"survived" when every test passes, and "stillborn" when the edit does not build (it does not
count). Mutants marked "equivalent" in the list change nothing a user could see; they are run
but reported apart.

A mutant in the list:

    @ model/export_model.cpp | selection number 30 refused
    <<<
        if (number > 30)
    ===
        if (number >= 30)
    >>>

The text between <<< and === must occur exactly once in the file (add lines around it until it
does). A line "equivalent: why" after the @ line marks an equivalent mutant.

    tools/mutate.py                 every mutant
    tools/mutate.py --check         only check that each edit applies, no build
    tools/mutate.py -k driver -k 12 mutants whose file, description or number contains a word
"""

import argparse
import collections
import dataclasses
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
LISTS = ROOT / "tools" / "mutants"
OUTPUT_FILE_CODE = {"files", "replacing_file", "platform_file"}
# Mutants in these folders need the viewer and its tests (on the offscreen platform).
QT_FOLDERS = {"document", "shell", "dialogs", "assets"}


@dataclasses.dataclass
class Mutant:
    number: int
    path: str
    description: str
    original: str
    replacement: str
    equivalent: str = ""
    source: str = ""

    @property
    def folder(self):
        """The report's group: a source folder, or "files" for the code that writes files."""
        if pathlib.PurePath(self.path).stem in OUTPUT_FILE_CODE:
            return "files"
        return self.path.split("/", 1)[0]


def read_mutants():
    mutants = []
    pattern = re.compile(
        r"^@ (?P<path>\S+) \| (?P<description>[^\n]*)\n"
        r"(?:equivalent: (?P<equivalent>[^\n]*)\n)?"
        r"<<<\n(?P<original>.*?)\n===\n(?P<replacement>.*?)\n?>>>$",
        re.S | re.M,
    )
    for list_file in sorted(LISTS.glob("*.txt")):
        text = list_file.read_text()
        found = list(pattern.finditer(text))
        blocks = len(re.findall(r"^@ ", text, re.M))
        if len(found) != blocks:
            sys.exit(f"{list_file}: {blocks} mutants begin, {len(found)} are well formed")
        for match in found:
            mutants.append(
                Mutant(
                    number=len(mutants) + 1,
                    path=match["path"],
                    description=match["description"].strip(),
                    original=match["original"],
                    replacement=match["replacement"],
                    equivalent=(match["equivalent"] or "").strip(),
                    source=list_file.name,
                )
            )
    return mutants


def check(mutants, tree):
    problems = []
    for mutant in mutants:
        path = tree / mutant.path
        if not path.is_file():
            problems.append(f"#{mutant.number} {mutant.path}: no such file")
            continue
        count = path.read_text().count(mutant.original)
        if count != 1:
            problems.append(f"#{mutant.number} {mutant.path}: the original occurs {count} times")
        if mutant.original == mutant.replacement:
            problems.append(f"#{mutant.number} {mutant.path}: the edit changes nothing")
    return problems


def copy_tree(work):
    files = subprocess.run(
        ["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        cwd=ROOT, check=True, capture_output=True,
    ).stdout.decode().split("\0")
    for name in filter(None, files):
        source = ROOT / name
        if not source.is_file():
            continue
        target = work / name
        target.parent.mkdir(parents=True, exist_ok=True)
        # A changed file gets a new time, so that an earlier build of the copy rebuilds it.
        if not target.exists() or target.read_bytes() != source.read_bytes():
            shutil.copy(source, target)


def run(command, cwd, timeout=None):
    try:
        result = subprocess.run(command, cwd=cwd, capture_output=True, timeout=timeout)
        return result.returncode, result.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, ""


def build(source, build_dir, jobs):
    code, output = run(["cmake", "--build", str(build_dir), "--parallel", str(jobs)], cwd=source)
    return code == 0, output


def test(build_dir, jobs):
    env_timeout = 60
    code, output = run(["ctest", "--test-dir", str(build_dir), "--parallel", str(jobs),
                        "--timeout", str(env_timeout), "--stop-on-failure",
                        "-E", "includes_follow_floors"], cwd=build_dir, timeout=1800)
    if code is None:
        return False, "ctest itself timed out"
    failed = re.findall(r"\d+ - (\S+) \(", output)
    return code == 0, ", ".join(failed[:3])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="only check that the edits apply")
    parser.add_argument("-k", action="append", default=[], metavar="WORD",
                        help="only mutants whose number or list file is WORD, or whose file or description holds it")
    parser.add_argument("--work", default="/tmp/qlx-mutants", help="scratch folder")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--report", help="also write the results to this file")
    args = parser.parse_args()

    mutants = read_mutants()
    if args.k:
        mutants = [m for m in mutants
                   if any(w == str(m.number) or w in m.path or w in m.description or w == m.source
                          for w in args.k)]
    problems = check(mutants, ROOT)
    if problems:
        print("\n".join(problems))
        return 2
    if args.check:
        print(f"{len(mutants)} mutants apply")
        return 0

    os.environ["QT_QPA_PLATFORM"] = "offscreen"
    work = pathlib.Path(args.work)
    source, build_dir = work / "src", work / "build"
    source.mkdir(parents=True, exist_ok=True)
    copy_tree(source)
    gui = any(m.path.split("/", 1)[0] in QT_FOLDERS for m in mutants)
    subprocess.run(["cmake", "-S", str(source), "-B", str(build_dir),
                    f"-DQLX_BUILD_GUI={'ON' if gui else 'OFF'}", "-DCMAKE_BUILD_TYPE=Release"],
                   check=True, capture_output=True)
    built, output = build(source, build_dir, args.jobs)
    if not built:
        print(output[-3000:])
        return 2
    passed, failed = test(build_dir, args.jobs)
    if not passed:
        print(f"the unmutated tree fails its tests: {failed}")
        return 2

    results = []
    lines = []
    for mutant in mutants:
        path = source / mutant.path
        original = path.read_text()
        path.write_text(original.replace(mutant.original, mutant.replacement, 1))
        started = time.monotonic()
        try:
            built, _ = build(source, build_dir, args.jobs)
            if not built:
                outcome, detail = "stillborn", ""
            else:
                passed, detail = test(build_dir, args.jobs)
                outcome = "survived" if passed else "killed"
        finally:
            path.write_text(original)
        results.append((mutant, outcome))
        line = (f"#{mutant.number:3} {outcome:9} {mutant.path}: {mutant.description}"
                + (f"  [{detail}]" if detail else "")
                + (f"  (equivalent: {mutant.equivalent})" if mutant.equivalent else "")
                + f"  {time.monotonic() - started:.0f}s")
        print(line, flush=True)
        lines.append(line)
    build(source, build_dir, args.jobs)

    summary = ["", "folder        killed / counted  survived  stillborn  equivalent"]
    per_folder = collections.defaultdict(collections.Counter)
    for mutant, outcome in results:
        key = "equivalent" if mutant.equivalent and outcome == "survived" else outcome
        per_folder[mutant.folder][key] += 1
        per_folder["all"][key] += 1
    for folder in sorted(per_folder, key=lambda f: (f == "all", f)):
        c = per_folder[folder]
        counted = c["killed"] + c["survived"]
        rate = f"{100 * c['killed'] / counted:5.1f}%" if counted else "    -"
        summary.append(f"{folder:13} {c['killed']:3} / {counted:3} {rate}  {c['survived']:8}"
                       f"  {c['stillborn']:9}  {c['equivalent']:10}")
    print("\n".join(summary))
    if args.report:
        pathlib.Path(args.report).write_text("\n".join(lines + summary) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
