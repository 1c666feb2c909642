#!/usr/bin/env python3
"""Writes XMP with exiftool into JPEG (plain and with Extended XMP), PNG, TIFF, WebP, HEIC, PSD and GIF files
and into both sidecar names, then checks that kelmarin-exif lists every XMP property exiftool lists,
with the same value. Usage: tools/xmp-compare.py path/to/kelmarin-exif [WORK_DIR]
Prints one line per file and the totals; the exit status is 1 when any property differs."""

import json
import os
import re
import subprocess
import sys
import tempfile

TAGS = [
    "-XMP-dc:Title=Sonnenaufgang am See",
    "-XMP-dc:Title-de=Sonnenaufgang",
    "-XMP-dc:Subject=Berg", "-XMP-dc:Subject=See", "-XMP-dc:Subject=Müller & Söhne <1>",
    "-XMP-dc:Creator=Anna Beispiel", "-XMP-dc:Rights=© 2024 Anna",
    "-XMP-dc:Description=Ein Morgen am Wasser",
    "-XMP-xmp:Rating=4", "-XMP-xmp:Label=Rot", "-XMP-xmp:CreateDate=2024:05:01 14:23:05+02:00",
    "-XMP-xmp:CreatorTool=Kelmarin-Test",
    "-XMP-xmpRights:Marked=True", "-XMP-xmpRights:UsageTerms=Nur mit Erlaubnis",
    "-XMP-photoshop:City=Bonn", "-XMP-photoshop:Headline=Morgen",
    "-XMP-photoshop:DateCreated=2024:05:01",
    "-XMP-iptcCore:CreatorWorkEmail=anna@example.org", "-XMP-iptcCore:CreatorCity=Bonn",
    "-XMP-iptcCore:Location=Ufer",
    "-XMP-iptcExt:PersonInImage=Bert", "-XMP-iptcExt:LocationCreatedCity=Bonn",
    "-XMP-lr:HierarchicalSubject=Orte|Bonn",
    "-XMP-exif:GPSLatitude=50.7374", "-XMP-exif:GPSLatitudeRef=N",
    "-XMP-exif:GPSLongitude=7.0982", "-XMP-exif:GPSLongitudeRef=E",
    "-XMP-exifEX:LensModel=RF 24-105", "-XMP-aux:SerialNumber=12345",
    "-XMP-crs:Exposure2012=+0.50", "-XMP-GPano:ProjectionType=equirectangular",
    "-XMP-MicrosoftPhoto:Rating=75", "-XMP-digiKam:ColorLabel=3",
]


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def exiftool_leaves(path):
    """(name, value) of every XMP leaf exiftool lists, names as exiftool's field names."""
    data = json.loads(run("exiftool", "-j", "-struct", "-n", "-G1", "-a", "-XMP:all", path))[0]
    leaves = []

    def walk(name, value):
        if isinstance(value, dict):
            for key, inner in value.items():
                walk(key, inner)
        elif isinstance(value, list):
            for inner in value:
                walk(name, inner)
        else:
            leaves.append((name, value))

    for key, value in data.items():
        if key.startswith("XMP-"):
            walk(key.split(":", 1)[1], value)
    return leaves


def kelmarin_properties(program, path):
    """Per source: (last named part of the path, value as written) of every property row."""
    text = run(program, path).decode("utf-8")
    sources = {}
    current = None
    for line in text.split("\n"):
        columns = line.split("\t")
        if len(columns) != 4:
            continue
        tag, label, _, raw = columns
        if tag == "" and label.startswith("XMP"):
            current = label
            sources[current] = []
        elif current is not None and tag:
            name = re.sub(r"\[[^\]]*\]", "", tag.split("/")[-1]).split(":")[-1]
            sources[current].append((name, raw.replace("\\n", "\n").replace("\\t", "\t").replace("\\\\", "\\")))
    return sources


def normal(name, value):
    """Both sides' forms of one value: exiftool -n writes XMP dates with colons and GPS as degrees."""
    text = str(value)
    if isinstance(value, bool):
        text = "True" if value else "False"
    m = re.fullmatch(r"(\d+),(\d+(?:\.\d+)?)(?:,(\d+(?:\.\d+)?))?([NSEW])", text)
    if m:
        degrees = float(m.group(1)) + float(m.group(2)) / 60 + float(m.group(3) or 0) / 3600
        return name.lower(), "%.4f" % (-degrees if m.group(4) in "SW" else degrees)
    if isinstance(value, float) or re.fullmatch(r"[+-]?\d+\.\d+", text):
        return name.lower(), "%.4f" % float(text)
    m = re.fullmatch(r"(\d{4})[-:](\d\d)[-:](\d\d)(?:[T ](\d\d:\d\d(?::\d\d)?(?:\.\d+)?))?(Z|[+-]\d\d:\d\d)?", text)
    if m:
        return name.lower(), "%s:%s:%s %s%s" % (m.group(1), m.group(2), m.group(3), m.group(4) or "", m.group(5) or "")
    name = re.sub(r"-[a-z]{2}(-[A-Z]{2})?$", "", name)  # Title-de is the "de" item of Title
    return name.lower(), text


EXIFTOOL_NAMES = {"xmptoolkit": "xmptk"}


def main():
    program = os.path.abspath(sys.argv[1])
    work = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp(prefix="xmp-compare-")
    os.makedirs(work, exist_ok=True)
    cases = []
    for ext in ["jpg", "png", "tif", "webp", "heic", "psd", "gif"]:
        image = os.path.join(work, "bild." + ext)
        run("convert", "-size", "32x24", "gradient:blue-yellow", image)
        run("exiftool", "-q", "-overwrite_original", *TAGS, image)
        cases.append((image, image, "XMP"))
    extended = os.path.join(work, "gross.jpg")
    run("convert", "-size", "32x24", "gradient:red-green", extended)
    run("exiftool", "-q", "-overwrite_original", *TAGS, "-XMP-dc:Source=" + "Lange Notiz " * 9000, extended)
    cases.append((extended, extended, "XMP"))
    raw = os.path.join(work, "IMG_0001.JPG")
    run("convert", "-size", "32x24", "gradient:white-black", raw)
    for sidecar in ["img_0001.xmp", "IMG_0001.JPG.xmp"]:
        path = os.path.join(work, sidecar)
        if os.path.exists(path):
            os.remove(path)
        run("exiftool", "-q", *TAGS, "-XMP-dc:Identifier=" + sidecar, "-o", path)
        cases.append((path, raw, "XMP (%s)" % sidecar))
    failed = 0
    total = 0
    for checked, listed_file, title in cases:
        wanted = [normal(EXIFTOOL_NAMES.get(n.lower(), n), v) for n, v in exiftool_leaves(checked)]
        ours = [normal(n, v) for n, v in kelmarin_properties(program, listed_file).get(title, [])]
        missing = [w for w in wanted if w not in ours]
        total += len(wanted)
        failed += len(missing)
        print("%-22s %-26s exiftool %3d  agree %3d" % (os.path.basename(checked), title, len(wanted),
                                                         len(wanted) - len(missing)))
        for name, value in missing:
            print("    missing or different: %s = %.80r" % (name, value))
    print("properties: %d, agreeing: %d, differing: %d" % (total, total - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
