#!/usr/bin/env python3
"""Writes examples/sample.qlx, the sample export bundled with QLX Viewer.

An export is bytes in Windows-1252 with CR LF line ends. Node subscripts and attribute
lines are counted strings: one length character, then that many characters.
Run from anywhere: python3 examples/build_sample.py
"""
from pathlib import Path


def counted(*parts: str) -> str:
    return "".join(chr(len(p)) + p for p in parts)


HEADER = "MEDITECH.CUST.RPTS^NPR.LAB^St. Elsewhere Hospital^LIVE.LAB^LAB.C^JSMITH^20261130^1^Nightly upload"


def procedure(name: str, dpm: str, *attributes: str) -> list[str]:
    return ["PROC", name, counted(dpm, name, *attributes)]


def description(number: int, text: str) -> list[str]:
    return ["D" + counted(str(number)), text]


def report(*attributes: str) -> list[str]:
    return ["RPT", counted(*attributes)]


def build() -> list[str]:
    lines = [HEADER]

    # A procedure with a description that holds braces, backslashes and a byte above 127.
    lines += procedure("LAB.C.DAILY.CENSUS", "LAB.C", "JSMITH", "", "Y", "ARG1,ARG2",
                       "", "", "", "N", "CENSUS", "")
    lines += description(1, "Daily census of the laboratory, sorted by location.")
    lines += description(2, r"Paths such as \\LAB\SHARE\census and sets like {A,B} print as they are.")
    lines += description(3, "Caf\u00e9 orders are excluded.")
    lines += report("Y", "LAB.C.DAILY.CENSUS", "LAB.C", "", "LAB.C", "Daily Census",
                    "CENSUS", "10", "132", "6", "60", "", "66", "CENSUS.LST")
    lines += ["MACRO", "census.total"]
    lines += ["SCRN", "LAB.C.DAILY.CENSUS.S"]

    # A procedure without sections.
    lines += procedure("LAB.C.EMPTY", "LAB.C", "", "", "N")

    # A procedure whose name holds a backslash and a brace.
    lines += procedure(r"LAB.C.TURNAROUND\{TAT}", "LAB.C", "KLEE", "ALL", "Y")
    lines += description(1, "Turnaround times per test.")
    lines += ["SR", "Selected where status is final"]
    lines += report("Y", "LAB.C.TAT", "LAB.C", "", "", "Turnaround {minutes}")
    return lines


def main() -> None:
    text = "".join(line + "\r\n" for line in build())
    path = Path(__file__).with_name("sample.qlx")
    path.write_bytes(text.encode("cp1252"))


if __name__ == "__main__":
    main()
