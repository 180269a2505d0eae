#!/usr/bin/env python3
"""Opens lists written by Kestro in a real spreadsheet and reads the cells back.

    round_trip.py KESTRO [csv|tab]

Builds a folder whose names hold Japanese (full-width and half-width
katakana), commas, quotes, a leading "=", "+", "-" or "@" and (for CSV) a
line break, and lists it with sizes and times, as comma-separated values
with totals ("csv", the default) or tab-separated ("tab"), in UTF-8 with the
byte-order mark and in Shift-JIS. LibreOffice Calc (headless, with a
profile of its own under a temporary folder) converts each list to .xlsx,
and openpyxl checks that every cell holds what the list holds. The test
prints what the user sees for the names with a leading sign; in CSV none
may run as a formula. A missing soffice or openpyxl is a failure, not a
skip. Everything is made under one temporary folder, removed at the end.
"""

import csv
import datetime
import io
import os
import shutil
import subprocess
import sys
import tempfile

# Names and sizes of the files listed; each gets its own time.
FILES = [
    ("日本語の一覧.txt", 0),
    ("ｶﾀｶﾅ ﾃﾞｰﾀ.txt", 1),
    ("ＦＵＬＬ　ｗｉｄｔｈ.txt", 999),
    ("comma, and more.txt", 1000),
    ('say "hi".txt', 123456),
    ("=1+2.txt", 65536),
    ("+sum.txt", 7),
    ("-minus.txt", 8),
    ("@at.txt", 9),
    ("5 MB and one.bin", 5 * 1024 * 1024 + 1),
]
# A comma-separated list keeps a line break of a name inside its quoted
# cell; the tab-separated one shows it as "␊", which Shift-JIS cannot hold.
LINE_BREAK_NAME = ("line\nbreak.txt", 10)

# How Calc reads each list: the text import filter with the field
# separator, the quote, the character set (76 UTF-8, 60 Windows-932), the
# first line, no column formats, Japanese, quoted fields as text, no special
# numbers. The byte-order mark needs no option of its own.
CHARSETS = {"utf8-bom": "76", "sjis": "60"}


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def make_tree(root, files):
    base = datetime.datetime(2024, 1, 2, 3, 4, 5, tzinfo=datetime.timezone.utc).timestamp()
    for index, (name, size) in enumerate(files):
        path = os.path.join(root, name)
        with open(path, "wb") as file:
            file.truncate(size)
        stamp = base + index * 86461
        os.utime(path, (stamp, stamp))


def list_of(kestro, tree, form, encoding):
    arguments = [kestro, "--list", "--no-sub", "--size", "--modified"] + form + [
        "--encoding", encoding, tree]
    run = subprocess.run(arguments, capture_output=True, timeout=30,
                         env=dict(os.environ, TZ="UTC", LC_ALL="C.UTF-8"))
    if run.returncode != 0:
        fail("kestro %s: %s" % (" ".join(arguments[1:]), run.stderr.decode("utf-8", "replace")))
    return run.stdout


def records_of(text, separator):
    """The cells of each line of a list, as the list holds them."""
    if separator == ",":
        return [row for row in csv.reader(io.StringIO(text, newline=""))]
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    return [line.split(separator) if line else [] for line in lines]


def shown(value):
    """A cell as the spreadsheet shows it, in the list's own forms."""
    if value is None:
        return ""
    if isinstance(value, datetime.datetime):
        return value.strftime("%Y/%m/%d %H:%M:%S")
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def convert(work, source, charset, separator_code):
    profile = os.path.join(work, "profile")
    out = os.path.join(work, "out")
    options = "%s,34,%s,1,,1041,true,false" % (separator_code, charset)
    arguments = ["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                 "--norestore", "--infilter=Text - txt - csv (StarCalc):" + options,
                 "--convert-to", "xlsx", "--outdir", out, source]
    run = subprocess.run(arguments, capture_output=True, timeout=60,
                         env=dict(os.environ, HOME=work, TZ="UTC"))
    target = os.path.join(out, os.path.splitext(os.path.basename(source))[0] + ".xlsx")
    if run.returncode != 0 or not os.path.exists(target):
        fail("soffice did not convert %s: %s" % (source, run.stderr.decode("utf-8", "replace")))
    return target


def main():
    if len(sys.argv) not in (2, 3) or sys.argv[2:] not in ([], ["csv"], ["tab"]):
        fail("usage: round_trip.py KESTRO [csv|tab]")
    kestro = os.path.abspath(sys.argv[1])
    if shutil.which("soffice") is None:
        fail("soffice is not installed (libreoffice-calc-nogui)")
    try:
        import openpyxl
    except ImportError:
        fail("openpyxl is not installed (python3-openpyxl)")

    separator = "\t" if sys.argv[2:] == ["tab"] else ","
    form = ["--csv", "--totals"] if separator == "," else ["--separator", "ﾀﾌﾞ"]
    work = tempfile.mkdtemp(prefix="kestro-spreadsheet-")
    formulas = []
    try:
        tree = os.path.join(work, "tree")
        os.mkdir(tree)
        files = FILES + ([LINE_BREAK_NAME] if separator == "," else [])
        make_tree(tree, files)
        expected = records_of(list_of(kestro, tree, form, "utf8").decode("utf-8"),
                              separator)
        if len(expected) < len(files) + 2:
            fail("the list has %d records for %d files" % (len(expected), len(files)))
        for encoding, charset in CHARSETS.items():
            source = os.path.join(work, "list-%s.csv" % encoding)
            with open(source, "wb") as file:
                file.write(list_of(kestro, tree, form, encoding))
            book = convert(work, source, charset, str(ord(separator)))
            # The cells as stored (a formula as its text) and as shown (a
            # formula as the value Calc computed).
            stored = openpyxl.load_workbook(book).active
            seen = openpyxl.load_workbook(book, data_only=True).active
            rows = []
            display = {}
            for stored_row, seen_row in zip(stored.iter_rows(), seen.iter_rows()):
                row = []
                for cell, value in zip(stored_row, seen_row):
                    display[(cell.row, cell.column)] = shown(value.value)
                    if cell.data_type == "f":
                        formulas.append((encoding, cell.value, value.value))
                        row.append(cell.value)
                    else:
                        row.append(shown(value.value))
                rows.append(row)
            for number, record in enumerate(expected, start=1):
                row = rows[number - 1] if number <= len(rows) else []
                while row and row[-1] == "":
                    row.pop()
                if row != record:
                    fail("%s, row %d: the sheet holds %r, the list %r" %
                         (encoding, number, row, record))
                for column, cell in enumerate(record, start=1):
                    if cell.lstrip("'")[:1] in ("=", "+", "-", "@"):
                        print("%s: the list's %r shows as %r" %
                              (encoding, cell, display[(number, column)]))
            if len(rows) > len(expected) and any(any(row) for row in rows[len(expected):]):
                fail("%s: the sheet has rows after the list" % encoding)
            print("%s: %d rows match the list" % (encoding, len(expected)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for encoding, formula, value in formulas:
        print("%s: the cell %r ran as a formula and shows %r" % (encoding, formula, value))
    if formulas and separator == ",":
        fail("a name ran as a formula")


if __name__ == "__main__":
    main()
