#!/usr/bin/env python3
"""Keeps the .ts files of resources/translations.

  translations.py fill [FILE.json...] put each entry's translations into the
                                      .ts files (entries: context, source,
                                      one key per language as the .ts files
                                      name it, "zh" for cellwatch_zh_CN.ts,
                                      "de", "fr", ..., and "comment" for a
                                      text that has one; a message missing
                                      from a .ts file is added to it); with
                                      no file, write the .ts files back in
                                      their usual layout
  translations.py pseudo IN.ts OUT.ts write IN with every message's
                                      translation the source in markers
  translations.py missing FILE.ts     list the messages without a translation
"""
import json
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
# Every language's .ts file, keyed by its language ("zh" for cellwatch_zh_CN.ts):
# the same files app/CMakeLists.txt compiles and scripts/update-translations updates.
TS = {p.stem.split("_")[1]: p
      for p in sorted((ROOT / "resources/translations").glob("cellwatch_*.ts"))}
# The number of plural forms a numerus message has in each language (2 where not listed).
PLURAL_FORMS = {"zh": 1, "ja": 1, "ko": 1}


def load(path):
    return ET.parse(path)


def save(tree, path):
    ET.indent(tree, space="    ")
    text = ET.tostring(tree.getroot(), encoding="unicode")
    Path(path).write_text('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n' + text + "\n",
                          encoding="utf-8")


def message(root, context, source, comment=None):
    for ctx in root.findall("context"):
        if ctx.findtext("name") == context:
            break
    else:
        ctx = ET.SubElement(root, "context")
        ET.SubElement(ctx, "name").text = context
    for msg in ctx.findall("message"):
        if msg.findtext("source") == source and msg.findtext("comment") == comment:
            return msg
    msg = ET.SubElement(ctx, "message")
    ET.SubElement(msg, "source").text = source
    if comment is not None:
        ET.SubElement(msg, "comment").text = comment
    ET.SubElement(msg, "translation", {"type": "unfinished"})
    return msg


def fill(files):
    entries = []
    for f in files:
        entries += json.loads(Path(f).read_text(encoding="utf-8"))
    for lang, path in TS.items():
        tree = load(path)
        for e in entries:
            if not e.get(lang):
                continue
            msg = message(tree.getroot(), e["context"], e["source"], e.get("comment"))
            put(msg, e[lang], PLURAL_FORMS.get(lang, 2))
        save(tree, path)


def put(msg, text, forms):
    """Sets the translation of `msg`; a message with %n gets `text` in each
    of the language's plural forms."""
    tr = msg.find("translation")
    tr.attrib.pop("type", None)
    if msg.get("numerus") == "yes":
        tr.text = None
        for old in list(tr):
            tr.remove(old)
        for _ in range(forms):
            ET.SubElement(tr, "numerusform").text = text
    else:
        tr.text = text


def pseudo(src, dst):
    tree = load(src)
    for msg in tree.getroot().iter("message"):
        put(msg, "\u27e6" + (msg.findtext("source") or "") + "\u27e7", 2)
    save(tree, dst)


def missing(path):
    n = 0
    for ctx in load(path).getroot().findall("context"):
        for msg in ctx.findall("message"):
            tr = msg.find("translation")
            text = "".join(tr.itertext()) if tr is not None else ""
            if tr is None or tr.get("type") == "unfinished" or not text.strip():
                print(f'{ctx.findtext("name")}: {msg.findtext("source")!r}')
                n += 1
    return 1 if n else 0


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "fill":
        fill(sys.argv[2:])
    elif len(sys.argv) == 4 and sys.argv[1] == "pseudo":
        pseudo(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "missing":
        sys.exit(missing(sys.argv[2]))
    else:
        sys.exit(__doc__)
