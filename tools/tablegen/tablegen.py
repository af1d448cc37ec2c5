#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Generates the C++ sources of the record-type catalogue and of the log-type
translation table from their tables.

Usage (from the top of the tree):
    tools/tablegen/tablegen.py src/Quillmere/module/search/tables --write src/Quillmere/module/search
    tools/tablegen/tablegen.py src/Quillmere/module/search/tables --check src/Quillmere/module/search

The tables are UTF-8 text, one row a line, cells separated by tabs, the first
line naming the columns:
  record_types.tsv     code, class number, mask (hexadecimal, "0x..."),
                       category, description; ascending by code
  log_major_types.tsv  major, name (the name goes into a comment only)
  log_minor_types.tsv  major, minor, text (a translation key of the context
                       "QObject"); ascending by major, then minor
Every text is copied as it stands. The script checks what it can (the column
names and counts, numbers, ascending unique codes, every major type known and
used) and stops with an error naming the file and line when something does
not add up, so a changed table cannot silently yield a wrong one.

--write DIR writes DIR/RecordTypeCatalogue.inc and DIR/LogTypeTable.inc.
--check DIR generates both in memory and compares them with those files
(exit 1 on a difference, 2 on a table error). The test tablegen_test runs the
check on the committed files. Only the Python standard library is used.
"""

import argparse
import os
import re
import sys

RECORD_TYPES = "record_types.tsv"
LOG_MAJOR_TYPES = "log_major_types.tsv"
LOG_MINOR_TYPES = "log_minor_types.tsv"

RECORD_HEADER = ["code", "class number", "mask", "category", "description"]
LOG_MAJOR_HEADER = ["major", "name"]
LOG_MINOR_HEADER = ["major", "minor", "text"]

SPDX = "// SPDX-License-Identifier: GPL-3.0-or-later\n"
NOTE = "// Do not edit by hand: change the tables and run the script again.\n"


class TableError(Exception):
    pass


def c_string(text):
    out = []
    for ch in text:
        if ch == "\\":
            out.append("\\\\")
        elif ch == '"':
            out.append('\\"')
        elif ord(ch) < 0x20:
            out.append("\\%03o" % ord(ch))
        else:
            out.append(ch)
    return '"' + "".join(out) + '"'


def read_table(folder, name, header):
    """The rows of one table as (line number, cells), the header checked."""
    path = os.path.join(folder, name)
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines or lines[0].split("\t") != header:
        raise TableError("%s:1: the first line must name the columns %s" % (name, " | ".join(header)))
    rows = []
    for number, line in enumerate(lines[1:], start=2):
        cells = line.split("\t")
        if len(cells) != len(header):
            raise TableError("%s:%d: %d cells, %d expected" % (name, number, len(cells), len(header)))
        rows.append((number, cells))
    if not rows:
        raise TableError("%s: the table is empty" % name)
    return rows


def number(name, line, column, text, hexadecimal=False):
    if not re.fullmatch(r"0x[0-9A-Fa-f]+" if hexadecimal else r"-?[0-9]+", text):
        raise TableError("%s:%d: the %s is not a %snumber: %r"
                         % (name, line, column, "hexadecimal " if hexadecimal else "", text))
    return int(text, 16 if hexadecimal else 10)


def need_text(name, line, column, text):
    if not text:
        raise TableError("%s:%d: the %s is empty" % (name, line, column))
    return text


def parse_record_types(folder):
    rows = []
    last = None
    for line, (code, klass, mask, category, text) in read_table(folder, RECORD_TYPES, RECORD_HEADER):
        row = (number(RECORD_TYPES, line, "code", code), number(RECORD_TYPES, line, "class number", klass),
               number(RECORD_TYPES, line, "mask", mask, True), number(RECORD_TYPES, line, "category", category),
               need_text(RECORD_TYPES, line, "description", text))
        if last is not None and row[0] <= last:
            raise TableError("%s:%d: code %d does not follow %d in ascending order" % (RECORD_TYPES, line, row[0], last))
        last = row[0]
        rows.append(row)
    return rows


def parse_log_types(folder):
    majors = []
    for line, (major, name) in read_table(folder, LOG_MAJOR_TYPES, LOG_MAJOR_HEADER):
        major = number(LOG_MAJOR_TYPES, line, "major", major)
        if majors and major <= majors[-1][0]:
            raise TableError("%s:%d: major type %d does not follow %d in ascending order"
                             % (LOG_MAJOR_TYPES, line, major, majors[-1][0]))
        majors.append((major, need_text(LOG_MAJOR_TYPES, line, "name", name), []))
    by_major = {m[0]: m[2] for m in majors}
    last = None
    for line, (major, minor, text) in read_table(folder, LOG_MINOR_TYPES, LOG_MINOR_HEADER):
        key = (number(LOG_MINOR_TYPES, line, "major", major), number(LOG_MINOR_TYPES, line, "minor", minor))
        if key[0] not in by_major:
            raise TableError("%s:%d: major type %d is not in %s" % (LOG_MINOR_TYPES, line, key[0], LOG_MAJOR_TYPES))
        if last is not None and key <= last:
            raise TableError("%s:%d: %d/%d does not follow %d/%d in ascending order"
                             % (LOG_MINOR_TYPES, line, key[0], key[1], last[0], last[1]))
        last = key
        by_major[key[0]].append((key[1], need_text(LOG_MINOR_TYPES, line, "text", text)))
    for major, name, pairs in majors:
        if not pairs:
            raise TableError("%s: major type %d (%s) has no minor types" % (LOG_MINOR_TYPES, major, name))
    return majors


def render_record_types(rows):
    out = [SPDX, "// Generated by tools/tablegen/tablegen.py from tables/%s.\n" % RECORD_TYPES, NOTE,
           "// code, class number, two zero fields, mask, listed category, description\n"]
    out.append("static const RecordTypeRow kRecordTypeRows[%d] = {\n" % len(rows))
    for code, klass, mask, category, text in rows:
        out.append("    {%d, %d, 0, 0, 0x%X, %d, %s},\n" % (code, klass, mask, category, c_string(text)))
    out.append("};\n")
    return "".join(out)


def render_log_types(majors):
    total = sum(len(p) for _, _, p in majors)
    out = [SPDX, "// Generated by tools/tablegen/tablegen.py from tables/%s and\n" % LOG_MAJOR_TYPES,
           "// tables/%s.\n" % LOG_MINOR_TYPES, NOTE,
           "// major type, minor type, text (a translation key of the context \"QObject\"); ascending by\n"
           "// major, then minor\n"]
    out.append("static const LogMinorTypeRow kLogMinorTypeRows[%d] = {\n" % total)
    for major, name, pairs in majors:
        out.append("    // %d: %s, %d codes\n" % (major, name, len(pairs)))
        for code, text in pairs:
            out.append("    {%d, %d, QT_TRANSLATE_NOOP(\"QObject\", %s)},\n" % (major, code, c_string(text)))
    out.append("};\n")
    return "".join(out)


def generate(folder):
    return {
        "RecordTypeCatalogue.inc": render_record_types(parse_record_types(folder)),
        "LogTypeTable.inc": render_log_types(parse_log_types(folder)),
    }


def main(argv):
    ap = argparse.ArgumentParser(description="Generate the record-type and log-type tables.")
    ap.add_argument("tables", help="the folder of the .tsv tables")
    mode = ap.add_mutually_exclusive_group(required=True)
    mode.add_argument("--write", metavar="DIR")
    mode.add_argument("--check", metavar="DIR")
    args = ap.parse_args(argv)
    try:
        files = generate(args.tables)
    except (OSError, UnicodeDecodeError, TableError) as e:
        print("tablegen: %s" % e, file=sys.stderr)
        return 2
    if args.check:
        status = 0
        for name, text in files.items():
            path = os.path.join(args.check, name)
            try:
                with open(path, encoding="utf-8", newline="") as f:
                    same = f.read() == text
            except (OSError, UnicodeDecodeError):
                same = False
            if not same:
                print("tablegen: %s differs from the tables" % path, file=sys.stderr)
                status = 1
        return status
    for name, text in files.items():
        with open(os.path.join(args.write, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
