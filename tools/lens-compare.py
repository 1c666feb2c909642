#!/usr/bin/env python3
"""Compares the lens line of kelmarin-exif (--summary --json, "summary"."lens") with exiftool's
composite LensID over the camera files of a folder (default: ../shared/corpus beside the project).
Usage: tools/lens-compare.py path/to/kelmarin-exif [FOLDER]

Counts the files where exiftool names a lens (a LensID that is neither "Unknown ..." nor only a
focal range and aperture such as "100.0mm f/2.8"), and how many of them Kelmarin names the same.
Harmless differences are normalised in the comparison only: case, spacing, the maker's name in
front ("Canon EF" / "EF"), "F2.8" / "f/2.8", "100.0mm" / "100mm", brackets, "or" / "oder" between
candidates, and Kelmarin's "(adaptiert)".
It also lists every file where Kelmarin names a lens whose focal range excludes the picture's focal
length (a name the file's own facts contradict). Exit status 1 when agreement is below 97 % or any
such contradiction is found."""

import json
import os
import re
import subprocess
import sys

CAMERA_SUFFIXES = {".jpg", ".jpeg", ".tif", ".tiff", ".nef", ".cr2", ".cr3", ".crw", ".arw", ".orf", ".rw2",
                   ".raf", ".pef", ".dng", ".mrw", ".srw", ".heic", ".heif", ".webp", ".avif", ".jxl", ".png"}
MAKER_WORDS = ("canon", "nikon", "olympus", "sony", "minolta", "konica", "pentax", "samsung", "panasonic",
               "leica", "fujifilm", "om system")
SPEC_ONLY = re.compile(r"^[\d.]+(-[\d.]+)?\s*mm(\s*f/?[\d.]+(-[\d.]+)?)?$", re.I)
RANGE = re.compile(r"(\d+(?:\.\d+)?)(?:-(\d+(?:\.\d+)?))?\s*mm", re.I)


def normalise(name):
    text = name.lower().replace("(adaptiert)", "").replace(" or ", " oder ")
    for word in MAKER_WORDS:
        text = re.sub(r"\b" + word + r"\b", " ", text)
    text = re.sub(r"(\d)\.0(?=\D|$)", r"\1", text)
    text = text.replace("f/", "f")
    return re.sub(r"[\s\-_.()\[\]]+", "", text)


def exiftool_names(folder):
    out = subprocess.run(["exiftool", "-r", "-j", "-q", "-q", "-n", "-LensID", "-FocalLength", folder],
                         capture_output=True, check=False).stdout
    ids = subprocess.run(["exiftool", "-r", "-j", "-q", "-q", "-LensID", folder],
                         capture_output=True, check=False).stdout
    numbers = {os.path.normpath(d["SourceFile"]): d for d in json.loads(out or b"[]")}
    result = {}
    for entry in json.loads(ids or b"[]"):
        path = os.path.normpath(entry["SourceFile"])
        result[path] = (str(entry.get("LensID", "")), numbers.get(path, {}).get("FocalLength"))
    return result


def kelmarin_names(program, files):
    names = {}
    for start in range(0, len(files), 200):
        chunk = files[start:start + 200]
        out = subprocess.run([program, "--summary", "--json", "--"] + chunk, capture_output=True,
                             check=False).stdout
        for entry in json.loads(out or b"[]"):
            summary = entry.get("summary") or {}
            names[os.path.normpath(entry["file"])] = summary.get("lens", "")
    return names


def contradicts(name, focal):
    if not name or name.startswith("unbekanntes") or not isinstance(focal, (int, float)) or focal <= 0:
        return False
    match = RANGE.search(name.replace(" mm", "mm"))
    if not match:
        return False
    low = float(match.group(1))
    high = float(match.group(2) or low)
    return focal < low * 0.97 or focal > high * 1.03


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    program = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "..", "shared",
                                                                  "corpus")
    files = sorted(os.path.normpath(os.path.join(root, name)) for root, _, names in os.walk(folder)
                   for name in names if os.path.splitext(name)[1].lower() in CAMERA_SUFFIXES)
    reference = exiftool_names(folder)
    ours = kelmarin_names(program, files)
    named = same = 0
    contradictions = []
    for path in files:
        lens_id, focal = reference.get(path, ("", None))
        mine = ours.get(path, "")
        if contradicts(mine, focal):
            contradictions.append(path)
            print(f"WIDERSPRUCH {path}: {mine!r} bei {focal} mm")
        if not lens_id or lens_id.startswith("Unknown") or SPEC_ONLY.match(lens_id.strip()):
            if mine and lens_id:
                print(f"  nur Kelmarin {path}: {mine!r} (exiftool: {lens_id!r})")
            continue
        named += 1
        if normalise(mine) == normalise(lens_id):
            same += 1
            print(f"  gleich {path}: {mine!r}")
        else:
            print(f"ANDERS {path}: Kelmarin {mine!r}, exiftool {lens_id!r}")
    share = 100.0 * same / named if named else 100.0
    print(f"\n{len(files)} Dateien, exiftool nennt {named} Objektive, Kelmarin gleich: {same} ({share:.1f} %), "
          f"Widersprüche: {len(contradictions)}")
    return 0 if share >= 97.0 and not contradictions else 1


if __name__ == "__main__":
    sys.exit(main())
