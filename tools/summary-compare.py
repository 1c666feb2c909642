#!/usr/bin/env python3
"""Compares kelmarin-exif --summary --json with exiftool's values (exiftool -j -n) over camera files.

Usage: tools/summary-compare.py path/to/kelmarin-exif [FOLDER_OR_FILE ...] [-v]

Without folders the camera files of /work/shared/corpus are read. For each value the share of files
on which both readers agree is printed, counted over the files where exiftool has that value; -v
lists every disagreement.

Where exiftool's value is plainly wrong by the file's own data it is not counted but listed apart as
"Referenz unplausibel" with the reason: so far only the 35 mm focal length that exiftool derives
itself (the file has no FocalLengthIn35mmFormat), when its factor belongs to no real sensor (outside
0.43-10, a diagonal beyond 4.3-100 mm) or differs by more than a tenth from the sensor size the file's
Canon makernote states (FocalPlaneX/YSize, taken back from digital zoom, of a sensor's 4:3-3:2 shape).
"""
import math
import json
import os
import subprocess
import sys

DEFAULT_ROOTS = ["/work/shared/corpus/jpg", "/work/shared/corpus/tiff", "/work/shared/corpus/modern"]
EXTENSIONS = {".jpg", ".jpeg", ".tif", ".tiff", ".png", ".heic", ".heif", ".avif", ".webp", ".jxl", ".dng",
              ".cr2", ".nef", ".orf", ".pef", ".arw", ".raf", ".rw2", ".srw", ".crw", ".mrw", ".dcr"}


# Files made to break readers, not by cameras.
HOSTILE = ("poc", "fuzz", "crash", "corrupt", "invalid", "IndexError", "type_error", "ghsa")


def files_of(roots):
    found = []
    for root in roots:
        if os.path.isfile(root):
            found.append(root)
            continue
        for folder, _, names in os.walk(root):
            found += [os.path.join(folder, n) for n in sorted(names)
                      if os.path.splitext(n)[1].lower() in EXTENSIONS and not any(h in n for h in HOSTILE)
                      and "invalid" not in folder]
    return sorted(found)


def ours(lister, files):
    out = subprocess.run([lister, "--summary", "--json", "--"] + files, capture_output=True, check=False).stdout
    return {entry["file"]: entry.get("summary", {}) for entry in json.loads(out)}


def theirs(files):
    out = subprocess.run(["exiftool", "-j", "-n", "-q", "-q", "-EXIF:DateTimeOriginal",
                          "-EXIF:OffsetTimeOriginal", "-Composite:ShutterSpeed", "-Composite:Aperture", "-ISO", "-FocalLengthIn35mmFormat", "-FocalLength35efl",
                          "-ScaleFactor35efl", "-Canon:FocalPlaneXSize", "-Canon:FocalPlaneYSize", "-DigitalZoomRatio",
                          "-GPSLatitude", "-GPSLongitude", "-GPSAltitude", "--"] + files,
                         capture_output=True, check=False).stdout
    return {entry["SourceFile"]: entry for entry in json.loads(out or b"[]")}


def close(a, b, relative=1e-4, absolute=1e-6):
    try:
        a, b = float(a), float(b)
    except (TypeError, ValueError):
        return False
    return abs(a - b) <= max(absolute, relative * abs(b))


def shown_alike(digits, reciprocal_below=0.0):
    """Agreement as the block shows the value: times below a second as 1/n (n whole), the rest and
    f-numbers to `digits` decimals. A reader's exact APEX value and the nominal one the camera wrote
    ("1/15", "f/2.9") are one setting."""
    def same(a, b):
        try:
            a, b = float(a), float(b)
        except (TypeError, ValueError):
            return False
        if a <= 0 or b <= 0:
            return False
        if a < reciprocal_below and b < reciprocal_below:
            return round(1 / a) == round(1 / b)
        return round(a, digits) == round(b, digits)
    return same


def iso(e):
    # 65535 means "65535 or more" (EXIF 2.32, 4.6.5), not a speed: the block says nothing then.
    value = last_number(e.get("ISO"))
    return None if value == 65535 else value


def taken(e):
    value = str(e.get("DateTimeOriginal", ""))
    if len(value) < 19 or not value[:4].strip().isdigit() or value.startswith("0000"):
        return None
    return value[:10].replace(":", "-") + "T" + value[11:19]


def last_number(value):
    # Some makernotes give the ISO as a list ("0 200"): its last number is the speed.
    if isinstance(value, str):
        parts = value.split()
        return float(parts[-1]) if parts and parts[-1].replace(".", "", 1).isdigit() else None
    return value


def focal35(e):
    if e.get("FocalLengthIn35mmFormat"):
        return e["FocalLengthIn35mmFormat"]
    # Without a scale factor exiftool's FocalLength35efl is the real focal length: nothing to compare.
    return e.get("FocalLength35efl") if e.get("ScaleFactor35efl") else None


FULL_FRAME_DIAGONAL = math.hypot(36, 24)


def focal35_implausible(e):
    """Why exiftool's own 35 mm figure cannot be right, by the file's data; None when it may be."""
    factor = e.get("ScaleFactor35efl")
    if e.get("FocalLengthIn35mmFormat") or not factor or not focal35(e):
        return None
    if not 0.43 <= factor <= 10.0:
        return f"Faktor {factor:.2f}: ein Sensor von {FULL_FRAME_DIAGONAL / factor:.1f} mm Diagonale"
    width, height = e.get("FocalPlaneXSize"), e.get("FocalPlaneYSize")
    if not width or not height or not 1.25 <= max(width, height) / min(width, height) <= 1.6:
        return None
    zoom = e.get("DigitalZoomRatio") or 1
    zoom = zoom if isinstance(zoom, (int, float)) and zoom > 1 else 1
    stated = FULL_FRAME_DIAGONAL * zoom / math.hypot(width, height)
    if abs(factor - stated) > 0.1 * stated:
        return (f"Faktor {factor:.2f}, die Herstellerdaten nennen einen Sensor von {width / zoom:.2f} × "
                f"{height / zoom:.2f} mm (Faktor {stated:.2f})")
    return None


CHECKS = [
    # name, exiftool's value, our key, comparison[, why exiftool's value is plainly wrong]
    ("Aufnahmezeit", taken, "taken", lambda a, b: a == b),
    ("Zeitzone", lambda e: e.get("OffsetTimeOriginal"), "offset", lambda a, b: a == b),
    ("Belichtungszeit", lambda e: e.get("ShutterSpeed"), "exposureTime", shown_alike(1, 1.0)),
    ("Blende", lambda e: e.get("Aperture"), "fNumber", shown_alike(1)),
    ("ISO", iso, "iso", close),
    ("Brennweite KB", focal35, "focalLength35", lambda a, b: close(a, b, 0.02, 1.0), focal35_implausible),
    ("Breite", lambda e: e.get("GPSLatitude"), "latitude", close),
    ("Länge", lambda e: e.get("GPSLongitude"), "longitude", close),
    # A GPS block's empty altitude is "undef" to exiftool: no value.
    ("Höhe", lambda e: e.get("GPSAltitude") if isinstance(e.get("GPSAltitude"), (int, float)) else None, "altitude", lambda a, b: close(a, b, 1e-3, 0.01)),
]


def main():
    args = [a for a in sys.argv[1:] if a != "-v"]
    verbose = "-v" in sys.argv
    if not args:
        print(__doc__)
        return 2
    files = files_of(args[1:] or DEFAULT_ROOTS)
    mine, reference = ours(args[0], files), theirs(files)
    failed = False
    for name, value_of, key, same, *rest in CHECKS:
        implausible = rest[0] if rest else (lambda e: None)
        total = agree = 0
        apart = []
        for f in files:
            value = value_of(reference.get(f, {}))
            if key == "altitude" and value is not None and reference.get(f, {}).get("GPSLatitude") is None:
                continue
            if value in (None, "", 0) and key != "altitude":
                continue
            if value is None:
                continue
            reason = implausible(reference.get(f, {}))
            if reason:
                apart.append(f"  {name}: Referenz unplausibel: {f}: kelmarin {mine.get(f, {}).get(key)!r}, "
                             f"exiftool {value!r}: {reason}")
                continue
            total += 1
            mine_value = mine.get(f, {}).get(key)
            if mine_value is not None and same(mine_value, value):
                agree += 1
            elif verbose:
                print(f"  {name}: {f}: kelmarin {mine_value!r}, exiftool {value!r}")
        share = 100.0 * agree / total if total else 100.0
        failed |= share < 99.0
        print("\n".join(apart + [f"{name:16} {agree:4}/{total:<4} {share:6.1f} %"
                                  + (f" (ohne {len(apart)} Referenz unplausibel)" if apart else "")]))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
