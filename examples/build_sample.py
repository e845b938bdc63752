#!/usr/bin/env python3
"""Writes examples/sample.qlx, the sample export bundled with QLX Viewer.

An export is bytes in Windows-1252 with CR LF line ends. Node subscripts and attribute
lines are counted strings: one length character, then that many characters.
Run from anywhere: python3 examples/build_sample.py
"""
from pathlib import Path


def counted(*parts: str) -> str:
    return "".join(chr(len(p)) + p for p in parts)


HEADER = "MEDITECH.CUST.RPTS^St. Elsewhere Hospital^LAB^LIVE.LAB^JSMITH^20261130^LAB.C^Nightly upload^1"


def procedure(name: str, dpm: str, *attributes: str) -> list[str]:
    return ["PROC", name, counted(dpm, name, *attributes)]


def description(number: int, text: str) -> list[str]:
    return ["D" + counted(str(number)), text]


def report(*attributes: str) -> list[str]:
    return ["RPT", counted(*attributes)]


def node(name: str, *subscripts: str) -> list[str]:
    """A node line: its name, then its subscripts as counted strings."""
    return [name + counted(*subscripts)]


def selection_field(name: str, number: str, op: str, prompt: str, default: str,
                    qualifier: str = "") -> list[str]:
    field = name.ljust(30)[:30]
    return (node("F", field) + [counted(name)]
            + node("F", field, "SE", number)
            + [counted(op, "FREE", "TEXT", "", qualifier, "", prompt, default)])


def report_sections() -> list[str]:
    """A report that uses every kind of report node."""
    lines = report("Y", "LAB.C.SPECIMEN.LIST", "LAB.C", "", "LAB.C", "Specimens {by site}",
                   "SPEC", "12", "132", "6", "60", "", "66", "SPEC.LST", "", "", "", "",
                   "", "", "LAB.C.SPEC", "N", "0")
    lines += node("DC", "1") + ["Lists every specimen received, by {collection site}."]
    lines += node("DC", "2") + ["Run nightly after the upload; see C:\\LAB\\SPEC."]
    lines += node("AT", "1") + ["skipped"]
    lines += ["SR", "Status is {received} and site is not blank"]
    lines += selection_field("spec.site", "1", "EQ", "Collection site", "ALL")
    lines += selection_field("spec.date", "2", "BETWEEN", "Received", "T-1", "LAB")
    lines += node("F", "1") + [counted("NUMBER", "SPEC", "", "Specimen {no.}")]
    lines += node("F", "1", "A", "WIDTH") + ["12"]
    lines += node("F", "1", "VAL") + ["IF{@SPEC.NUMBER}^X " + "continued text " * 7]
    lines += node("F", "1", "VAL", "1") + ["continuation, skipped"]
    lines += node("F", "2") + [counted("SITE", "SPEC", "", "Site")]
    lines += node("F", "2", "SE", "3") + [counted("EQ", "FREE", "", "", "", "", "Site", "")]
    lines += node("FI", "1") + ["skipped"]
    lines += node("I", "1") + ["skipped"]
    lines += node("U", "00000001") + ["skipped"]
    lines += node("T", "1") + [counted("SPEC.SITE", "A", "Y", "N", "Y")]
    lines += node("T", "2") + [counted("SPEC.RECEIVED.DATE.AND.TIME.OF.DAY", "D", "N", "Y")]
    lines += node("P", "1") + ["+------------------+-----------+"]
    lines += node("P", "2") + ["| Specimen {no.}   | Site      |"]
    lines += node("L", "1") + [counted("PH") + "ignored"]
    lines += node("L", "1", "E", "1") + ["Specimen"]
    lines += node("L", "1", "E", "2") + ["Site " * 20]
    lines += node("L", "1", "CL", "1") + ["skipped"]
    lines += node("L", "2") + [counted("DE")]
    lines += node("L", "2", "F", "1") + ["SPEC.NUMBER"]
    lines += node("N", "1") + ["Printed {nightly}."]
    lines += node("N", "2") + ["Confidential."]
    lines += node("ZZ", "1") + ["an unknown node and its value"]
    return lines


def macro_sections() -> list[str]:
    lines = ["MACRO", "spec.count"]
    lines += node("M", "1") + ["; Count the specimens of each site"]
    lines += node("M", "2") + ["IF{@SITE} 0^COUNT"]
    lines += ["*" * 94]
    lines += node("M", "3") + ["COUNT+1^COUNT;   ; a trailing remark"]
    return lines


def screen_sections() -> list[str]:
    lines = ["SCRN", "LAB.C.SPECIMEN.LIST.S"]
    lines += node("CS", "1") + ["skipped"]
    lines += node("P", "1") + [counted("Specimen List", "Print specimens?")]
    lines += node("P", "1", "F", "1") + [counted("Site {required}")]
    lines += node("P", "1", "F", "2") + [counted("Date")]
    lines += node("P", "1", "F", "2", "C", "LEN") + ["YES=" + "1234567890" * 10]
    lines += node("P", "1", "F", "2", "X", "TYPE") + ["DATE"]
    lines += node("P", "1", "M", "1") + ["skipped"]
    lines += node("P", "1", "P", "1") + ["  Site: ________"]
    lines += node("P", "1", "P", "2") + ["  Date: __/__/__"]
    return lines


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

    # A procedure whose report, macro and screen show every section.
    lines += procedure("LAB.C.SPECIMEN.LIST", "LAB.C", "JSMITH", "", "Y")
    lines += report_sections()
    lines += macro_sections()
    lines += screen_sections()
    return lines


def main() -> None:
    text = "".join(line + "\r\n" for line in build())
    path = Path(__file__).with_name("sample.qlx")
    path.write_bytes(text.encode("cp1252"))


if __name__ == "__main__":
    main()
