#!/usr/bin/env python3
"""Checks the workbook Kestro writes of the golden fixture against its text list.

    workbook.py KESTRO KESTRO_GOLDEN

Builds the golden fixture tree (odd names included), and for each case of
CASES lists it twice with the same options: as text on standard output and
with "--xlsx". openpyxl reads the workbook back: the header (led by the
folder column when the list has no path column), bold and frozen, with the
filter over the files; one row per file of the text list with the same
texts in text cells (a byte that is no UTF-8 as U+FFFD), sizes as numbers in
the list's unit with its number format, times as date-times with the list's
form; no formula but the totals' SUBTOTAL. LibreOffice Calc (headless, a
profile of its own) then converts the workbook to comma-separated values,
which must show every cell as the text list shows it, the totals
recalculated. A missing soffice or openpyxl is a failure, not a skip.
"""

import csv
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

# Options of each case, the size unit they choose, whether it has a path column.
CASES = [
    (["--ext", "--size=kb", "--attr", "--type", "--created", "--modified", "--accessed"], 1),
    (["--path", "--size=mb", "--modified", "--hash"], 2),
    (["--size", "--no-folder-lines"], 0),
]
DIVISORS = [1, 1024, 1024 * 1024]
FORMATS = ['#,##0 "Byte"', '[<10]0.0# "KB";#,##0 "KB"', '[<1]0.0## "MB";#,##0 "MB"']
TIME_FORMAT = "yyyy/mm/dd hh:mm:ss"
TIME_TITLES = {"作成日時", "更新日時", "アクセス日"}
SIZE_TITLE = "ﾌｧｲﾙｻｲｽﾞ"
FOLDER_TITLE = "ﾌｫﾙﾀﾞ"


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run_list(kestro, folder, arguments):
    run = subprocess.run([kestro, "--list", "--skip-unreadable", "--totals"] + arguments +
                         ["tree"], cwd=folder, capture_output=True, timeout=60,
                         env=dict(os.environ, TZ="UTC", LC_ALL="C.UTF-8"))
    if run.returncode not in (0, 3):
        fail("kestro %s: %d %s" % (arguments, run.returncode, run.stderr.decode("utf-8", "replace")))
    return run.stdout.decode("utf-8", "replace")


def file_rows(text, folder_column):
    """The header and the file lines of a text list, each led by its folder,
    and the cells of its 合計 line."""
    lines = text.split("\r\n")
    header = lines[0].split("\t")
    rows, total, folder, after_blank = [], None, "", False
    for line in lines[1:]:
        if line == "":
            after_blank = True
            continue
        cells = line.split("\t")
        if after_blank and len(cells) == 1 and line.endswith("/"):
            folder = line
        elif cells[0] == "合計":
            total = cells
        elif cells[0] != "小計":
            rows.append(([folder] if folder_column else []) + cells)
        after_blank = False
    return ([FOLDER_TITLE] if folder_column else []) + header, rows, total


def convert_to_csv(work, book):
    profile = os.path.join(work, "profile")
    out = os.path.join(work, "csv")
    arguments = ["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                 "--norestore", "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1",
                 "--outdir", out, book]
    run = subprocess.run(arguments, capture_output=True, timeout=90,
                         env=dict(os.environ, HOME=work, TZ="UTC"))
    target = os.path.join(out, os.path.splitext(os.path.basename(book))[0] + ".csv")
    if run.returncode != 0 or not os.path.exists(target):
        fail("soffice did not convert %s: %s" % (book, run.stderr.decode("utf-8", "replace")))
    with open(target, encoding="utf-8", newline="") as file:
        return list(csv.reader(file))


def check_cells(case, sheet, header, rows, unit):
    import openpyxl.utils
    last = openpyxl.utils.get_column_letter(len(header))
    if [cell.value for cell in sheet[1]] != header:
        fail("%s: header %s, not %s" % (case, [cell.value for cell in sheet[1]], header))
    if not all(cell.font.b for cell in sheet[1]) or sheet.freeze_panes != "A2":
        fail("%s: the header is not bold and frozen" % case)
    if sheet.auto_filter.ref != "A1:%s%d" % (last, len(rows) + 1):
        fail("%s: filter over %s" % (case, sheet.auto_filter.ref))
    for number, (expected, cells) in enumerate(zip(rows, sheet.iter_rows(min_row=2)), 2):
        for title, text, cell in zip(header, expected, cells):
            where = "%s: %s%d (%s)" % (case, cell.column_letter, number, title)
            if text == "":
                if cell.value is not None:
                    fail("%s holds %r for an empty cell" % (where, cell.value))
            elif title in TIME_TITLES:
                wanted = datetime.datetime.strptime(text, "%Y/%m/%d %H:%M:%S")
                if not cell.is_date or cell.value != wanted or cell.number_format != TIME_FORMAT:
                    fail("%s: %r %r, not %s" % (where, cell.value, cell.number_format, wanted))
            elif title == SIZE_TITLE:
                if cell.data_type != "n" or cell.number_format != FORMATS[unit]:
                    fail("%s: %r %r is no size" % (where, cell.value, cell.number_format))
            elif cell.data_type != "s" or cell.value != text:
                fail("%s: %r (%s), not the text %r" % (where, cell.value, cell.data_type, text))
    return len(rows) + 2


def main():
    if len(sys.argv) != 3:
        fail("usage: workbook.py KESTRO KESTRO_GOLDEN")
    kestro, golden = sys.argv[1], sys.argv[2]
    if shutil.which("soffice") is None:
        fail("soffice is not installed (libreoffice-calc-nogui)")
    try:
        import openpyxl
    except ImportError:
        fail("openpyxl is not installed (python3-openpyxl)")
    work = tempfile.mkdtemp(prefix="kestro-workbook.")
    fixture = os.path.join(work, "fixture")
    try:
        subprocess.run([golden, "make", fixture], check=True)
        folders = []
        for arguments, unit in CASES:
            case = " ".join(arguments)
            folder_column = "--path" not in arguments
            header, rows, total = file_rows(run_list(kestro, fixture, arguments), folder_column)
            # Without folder lines the text does not name the folders, the
            # workbook still does: those of the first case, the same files.
            if "--no-folder-lines" in arguments:
                rows = [[folder] + row[1:] for folder, row in zip(folders, rows)]
            folders = folders or [row[0] for row in rows]
            book = os.path.join(work, "list.xlsx")
            run_list(kestro, fixture, arguments + ["--xlsx", book])
            # The sizes in bytes, from the same tree.
            sizes = file_rows(run_list(kestro, fixture, [a for a in arguments if not
                                                         a.startswith("--size")] + ["--size"]),
                              folder_column)[1]
            sheet = openpyxl.load_workbook(book).worksheets[0]
            total_row = check_cells(case, sheet, header, rows, unit)
            size_at = header.index(SIZE_TITLE)
            for number, (cells, row) in enumerate(zip(sizes, sheet.iter_rows(min_row=2)), 2):
                shown = cells[size_at].replace(",", "").split(" ")[0]
                wanted = int(shown or 0) / DIVISORS[unit] if cells[size_at] else None
                if row[size_at].value != wanted:
                    fail("%s: size %r in row %d, not %r" % (case, row[size_at].value, number,
                                                            wanted))
            formulas = [(cell.coordinate, cell.value) for row in sheet.iter_rows()
                        for cell in row if cell.data_type == "f"]
            name_at = header.index("ﾌｧｲﾙ名")
            if [coordinate for coordinate, _ in formulas] != [
                    sheet.cell(total_row, name_at + 1).coordinate,
                    sheet.cell(total_row, size_at + 1).coordinate] or not all(
                        value.startswith("=SUBTOTAL(") for _, value in formulas):
                fail("%s: formulas %s" % (case, formulas))
            # What a spreadsheet shows: the text list's cells, 0 bytes as "0".
            shown_rows = convert_to_csv(work, book)
            expected = [header] + [[("0 Byte" if cell == " Byte" else cell) for cell in row]
                                   for row in rows]
            for number, (want, got) in enumerate(zip(expected, shown_rows), 1):
                got = got[:len(want)]
                if got != want:
                    fail("%s: Calc shows row %d as %s, not %s" % (case, number, got, want))
            got = shown_rows[len(expected)]
            if got[0] != "合計" or got[name_at] != total[2] or got[size_at] != total[-1]:
                fail("%s: Calc's total %s, the list's %s" % (case, got, total))
            print("ok: %s (%d files)" % (case, len(rows)))
    finally:
        subprocess.run([golden, "remove", fixture])
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
