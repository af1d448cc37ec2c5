#!/usr/bin/env python3
"""Fills the unfinished entries of the translation catalogues from a table.

    tools/i18n/fill_catalogues.py TABLE.tsv translations/kel_en.ts translations/kel_zh.ts

TABLE.tsv: one line per text, tab-separated: source text, English, Chinese
(an empty English column keeps the source text; "\\n" stands for a line
break). Entries whose source text is not in the table are listed and left
unfinished, so the catalogue test names them.
"""
import sys
import xml.etree.ElementTree as ET


def load_table(path):
    table = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            parts = line.split("\t")
            src, en, zh = (parts + ["", "", ""])[:3]
            unescape = lambda s: s.replace("\\n", "\n")
            src = unescape(src)
            table[src] = (unescape(en) or src, unescape(zh))
    return table


def fill(ts_path, table, column):
    tree = ET.parse(ts_path)
    missing = []
    for message in tree.getroot().iter("message"):
        source = message.findtext("source")
        translation = message.find("translation")
        if translation is None or translation.get("type") != "unfinished":
            continue
        if source in table and table[source][column]:
            translation.text = table[source][column]
            del translation.attrib["type"]
        else:
            missing.append(source)
    tree.write(ts_path, encoding="utf-8", xml_declaration=True)
    # lupdate writes its own doctype line; keep the file loadable by it.
    with open(ts_path, encoding="utf-8") as f:
        text = f.read()
    if "<!DOCTYPE TS>" not in text:
        text = text.replace("?>\n", "?>\n<!DOCTYPE TS>\n", 1)
        with open(ts_path, "w", encoding="utf-8") as f:
            f.write(text)
    return missing


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    table = load_table(sys.argv[1])
    for path, column in ((sys.argv[2], 0), (sys.argv[3], 1)):
        for source in fill(path, table, column):
            print(f"{path}: no text for {source!r}")


if __name__ == "__main__":
    main()
