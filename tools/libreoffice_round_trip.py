#!/usr/bin/env python3
"""Checks RTF files against LibreOffice, which reads them as a second reader.

For each RTF file given (or each *.rtf in the folders given):
  text   the text qlx-convert --text reads is the text LibreOffice reads;
  saved  the file opened and saved unedited (qlx-convert --rtf) reads in LibreOffice with
         the same text as the original ("same text"), and with every character formatted
         as in the original ("same format": bold, italic, underline, strike-through,
         raised/lowered, link, size, colour, face, heading);
  fixed  saving the saved file again gives the same bytes.

Both the original and the saved file go through LibreOffice's own HTML export, so that its
conventions are the same on both sides. Prints one line per file that differs and the
totals. Exits 0 when soffice is missing (skipped, with a message; 77 with --known, for
CTest), 1 when a file differs and --strict is given, or differs in a way its line in the
--known list does not name.

  tools/libreoffice_round_trip.py --convert build/qlx-convert tests/richtext/public
"""

import argparse
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

BLOCKS = {"p", "h1", "h2", "h3", "h4", "h5", "h6", "li", "td", "th", "br", "div", "tr"}
HEADINGS = {"h1", "h2", "h3", "h4", "h5", "h6"}


class Characters(html.parser.HTMLParser):
    """The characters of LibreOffice's HTML export, each with its format."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = [{}]
        self.chars = []  # (character, format as a tuple)
        self.in_body = False
        self.skip = 0

    def format(self):
        top = self.stack[-1]
        return tuple(sorted(top.items()))

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "body":
            self.in_body = True
        if tag in ("style", "script", "title", "head"):
            self.skip += 1
        if tag in BLOCKS and self.in_body:
            self.chars.append(("\n", ()))
        if tag == "br":
            return
        top = dict(self.stack[-1])
        if tag in ("b", "strong"):
            top["bold"] = True
        elif tag in ("i", "em"):
            top["italic"] = True
        elif tag == "u":
            top["underline"] = True
        elif tag in ("s", "strike", "del"):
            top["strike"] = True
        elif tag in ("sup", "sub"):
            top["position"] = tag
        elif tag == "a" and "href" in attrs:
            # LibreOffice makes a relative link relative to the page it writes, which is in
            # another folder for the original and the saved file: the same link either way.
            top["link"] = re.sub(r"^\.\./(original|saved)/", "", attrs["href"])
        elif tag in HEADINGS:
            top["heading"] = tag
        elif tag == "font":
            if "face" in attrs:
                top["face"] = attrs["face"].split(",")[0].strip().strip("'\"")
            if "color" in attrs:
                top["color"] = attrs["color"].lower()
            if "size" in attrs:
                top["size"] = "html" + attrs["size"]
        style = attrs.get("style", "")
        for name, value in re.findall(r"([\w-]+)\s*:\s*([^;]+)", style):
            value = value.strip().lower()
            if name == "font-size" and tag in ("font", "span"):
                top["size"] = value
            elif name == "color" and tag in ("font", "span"):
                top["color"] = value
            elif name == "font-weight":
                top["bold"] = value in ("bold", "700")
            elif name == "font-style":
                top["italic"] = value == "italic"
            elif name == "text-decoration":
                top["underline"] = "underline" in value
                top["strike"] = "line-through" in value
        self.stack.append({k: v for k, v in top.items() if v is not False})

    def handle_endtag(self, tag):
        if tag in ("style", "script", "title", "head"):
            self.skip = max(self.skip - 1, 0)
        if tag != "br" and len(self.stack) > 1:
            self.stack.pop()

    def handle_data(self, data):
        if not self.in_body or self.skip:
            return
        # LibreOffice writes runs of blanks as narrow spaces between blanks; both are blanks.
        for character in re.sub(r"[ \t\r\n\u2002-\u2006]+", " ", data):
            self.chars.append((character, self.format()))


def characters(path):
    parser = Characters()
    parser.feed(path.read_text(encoding="utf-8", errors="replace"))
    # Blanks at line starts and ends and empty lines are LibreOffice's layout of the page.
    out, line = [], []
    for character in parser.chars + [("\n", ())]:
        if character[0] == "\n":
            while line and line[-1][0] == " ":
                line.pop()
            while line and line[0][0] == " ":
                line.pop(0)
            if line:
                out.extend(line)
                out.append(("\n", ()))
            line = []
        else:
            line.append(character)
    return out


def normalised_text(text):
    """Text with tabs as line breaks, blanks at line starts and ends and empty lines dropped,
    and each run of blanks one blank: LibreOffice's text export indents a line as its page
    does (a list item by its indent) and writes runs of blanks as narrow spaces between
    blanks, as its HTML export does."""
    lines = text.replace("\r\n", "\n").replace("\r", "\n").replace("\t", "\n").split("\n")
    blanks = re.compile(r"[ \u2002-\u2006]+")
    return "\n".join(blanks.sub(" ", line).strip(" ") for line in lines
                     if blanks.sub("", line))


def soffice_convert(soffice, files, target, outdir):
    outdir.mkdir(parents=True, exist_ok=True)
    # A profile of its own, beside the output: a LibreOffice the user has open (or another
    # check) would otherwise take the files over, or keep them from being converted.
    profile = (outdir.parent / "profile").resolve().as_uri()
    for start in range(0, len(files), 40):
        subprocess.run([soffice, f"-env:UserInstallation={profile}", "--headless",
                        "--convert-to", target, "--outdir", str(outdir)]
                       + [str(f) for f in files[start:start + 40]],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=900)


def run(convert, *args):
    return subprocess.run([convert, *args], capture_output=True, timeout=120).stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--convert", required=True, help="the qlx-convert program")
    parser.add_argument("--soffice", default=shutil.which("soffice") or "")
    parser.add_argument("--keep", help="a folder to keep the files written in")
    parser.add_argument("--strict", action="store_true", help="exit 1 when a file differs")
    parser.add_argument("--known", help="a list of the differences known, a line for each "
                        "file: its name, a colon and what differs (text, saved text, format), "
                        "as this tool prints them; exit 1 on any other")
    parser.add_argument("paths", nargs="+")
    options = parser.parse_args()
    if not options.soffice:
        print("libreoffice_round_trip: soffice is not installed; skipped")
        return 77 if options.known else 0
    known = {}
    if options.known:
        for line in Path(options.known).read_text(encoding="utf-8").splitlines():
            if line.strip() and not line.startswith("#"):
                name, _, kinds = line.partition(":")
                known[name.strip()] = {kind.strip() for kind in kinds.split(",")}
    unexpected = []
    files = []
    for path in map(Path, options.paths):
        files += sorted(path.glob("*.rtf")) if path.is_dir() else [path]
    work = Path(options.keep or tempfile.mkdtemp(prefix="qlx-lo-"))
    originals, saved = work / "original", work / "saved"
    for folder in (originals, saved, work / "again"):
        folder.mkdir(parents=True, exist_ok=True)
    fixed = []
    for number, file in enumerate(files):
        name = f"{number:04d}.rtf"
        shutil.copyfile(file, originals / name)
        (work / "ours").mkdir(exist_ok=True)
        (work / "ours" / f"{number:04d}.txt").write_bytes(run(options.convert, "--text", str(file)))
        first = run(options.convert, "--rtf", str(file))
        (saved / name).write_bytes(first)
        second = run(options.convert, "--rtf", str(saved / name))
        fixed.append(first == second and len(first) > 0)
    names = sorted(originals.glob("*.rtf"))
    soffice_convert(options.soffice, names, "txt:Text", work / "lo-text")
    soffice_convert(options.soffice, names, "html", work / "lo-original")
    soffice_convert(options.soffice, sorted(saved.glob("*.rtf")), "html", work / "lo-saved")
    totals = {"text": 0, "same text": 0, "same format": 0, "fixed": 0}
    for number, file in enumerate(files):
        stem = f"{number:04d}"
        problems = []
        lo_text = work / "lo-text" / f"{stem}.txt"
        ours = (work / "ours" / f"{stem}.txt").read_bytes().decode("utf-8", "replace")
        theirs = lo_text.read_bytes().decode("utf-8-sig", "replace") if lo_text.exists() else None
        if theirs is not None and normalised_text(ours) == normalised_text(theirs):
            totals["text"] += 1
        else:
            problems.append("text")
        original_html = work / "lo-original" / f"{stem}.html"
        saved_html = work / "lo-saved" / f"{stem}.html"
        if original_html.exists() and saved_html.exists():
            a, b = characters(original_html), characters(saved_html)
            if [c for c, _ in a] == [c for c, _ in b]:
                totals["same text"] += 1
                differing = [i for i, (x, y) in enumerate(zip(a, b)) if x[1] != y[1]]
                if not differing:
                    totals["same format"] += 1
                else:
                    i = differing[0]
                    around = "".join(c for c, _ in a[max(i - 10, 0):i + 10]).replace("\n", "|")
                    problems.append(f"format ({len(differing)} characters; first at "
                                    f"{around!r}: {dict(a[i][1])} -> {dict(b[i][1])})")
            else:
                problems.append("saved text")
        else:
            problems.append("saved text (not converted)")
        if fixed[number]:
            totals["fixed"] += 1
        else:
            problems.append("not a fixed point")
        if problems:
            print(f"{file}: {'; '.join(problems)}")
            kinds = {problem.split(" (")[0] for problem in problems}
            if options.known and not kinds <= known.get(file.name, set()):
                unexpected.append(file.name)
    count = len(files)
    print(f"{count} files: text read as LibreOffice reads it {totals['text']}/{count}; saved "
          f"and read in LibreOffice: same text {totals['same text']}/{count}, same format "
          f"{totals['same format']}/{count}; saved again unchanged {totals['fixed']}/{count}")
    if not options.keep:
        shutil.rmtree(work, ignore_errors=True)
    if unexpected:
        print(f"differences not in {options.known}: {', '.join(unexpected)}")
        return 1
    return 1 if options.strict and any(v != count for v in totals.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
