#!/usr/bin/env python3
"""Share of the makernote items exiftool names that kelmarin-exif names too, per maker.

Runs `exiftool -j -G1:5 -H -u` and `kelmarin-exif --json` over the JPEGs below each FOLDER. An
item counts when exiftool gives it a name (not "<Group>_0x1234") and it sits in the makernote's own
directory, in one of its sub-directories, or in a list of values whose positions this script knows
(KNOWN_LISTS), or in a block whose values Kelmarin files under numbers of its own (Nikon's and
Canon's versioned and per-body blocks, Apple's run time). Kelmarin names it when its listing has a
row other than "???" for the same directory:tag (sub-directories) or tag.position (lists). Items of
other blocks exiftool decodes per body or after deciphering are counted apart as "außen".

With --canon-values, also compares the values of Canon's camera settings and shot information:
a value agrees when Kelmarin's number (converted by the unit its label names, such as "APEX × 32")
is exiftool's, and Kelmarin names the value wherever exiftool does; the pairs of value names are
listed side by side for a review of their meaning.

Usage: tools/makernote-share.py [--exif PROGRAM] [--missing] [--canon-values] FOLDER...
Needs: python3, exiftool (Debian package libimage-exiftool-perl).
"""

import argparse
import collections
import glob
import json
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Lists of values exiftool decodes as a table of its own: (maker group, table) -> tag of the list in
# the makernote's directory. Position n is value n of the list (exiftool's index n - 1); for the
# byte lists of LIST_UNITS, Kelmarin's position counts numbers of that many bytes (or, for a text
# inside the list, bytes).
KNOWN_LISTS = {
    ("Canon", "CanonCameraSettings"): 0x0001,
    ("Canon", "CanonFocalLength"): 0x0002,
    ("Canon", "CanonShotInfo"): 0x0004,
    ("Canon", "CanonFileInfo"): 0x0093,
    ("Canon", "CanonAFInfo"): 0x0012,
    ("Canon", "CanonAFInfo2"): 0x0026,
    ("Canon", "AFInfo3"): 0x003C,
    ("Canon", "ProcessingInfo"): 0x00A0,
    ("Canon", "SensorInfo"): 0x00E0,
    ("Canon", "CropInfo"): 0x0098,
    ("Canon", "AspectInfo"): 0x009A,
    ("Canon", "TimeInfo"): 0x0035,
    ("Canon", "MyColors"): 0x001D,
    ("Canon", "ContrastInfo"): 0x0027,
    ("Canon", "MeasuredColor"): 0x00AA,
    ("Canon", "ColorInfo"): 0x4003,
    ("Canon", "FaceDetect3"): 0x002F,
    ("Panasonic", "FaceDetInfo"): 0x004E,
    ("Panasonic", "FaceRecInfo"): 0x0061,
    ("Leica", "FocusInfo"): 0x040A,
    ("Leica", "ShotInfo"): 0x0410,
    ("Minolta", "MinoltaCameraSettings"): 0x0003,
    ("Minolta", "MinoltaCameraSettingsOld"): 0x0001,
    ("Sony", "ShotInfo"): 0x3000,
    ("Pentax", "SRInfo"): 0x005C,
    ("Pentax", "FaceInfo"): 0x0060,
    ("Pentax", "AEInfo"): 0x0206,
    ("Pentax", "LensInfo"): 0x0207,
    ("Pentax", "FlashInfo"): 0x0208,
    ("Pentax", "CameraSettings"): 0x0205,
    ("Pentax", "BatteryInfo"): 0x0216,
    ("Pentax", "CameraInfo"): 0x0215,
    ("Panasonic", "FaceDetInfo"): 0x004E,
    ("Panasonic", "FaceRecInfo"): 0x0061,
    ("Panasonic", "TimeInfo"): 0x2003,
}

LIST_UNITS = {("Sony", "ShotInfo"): 2, ("Panasonic", "FaceRecInfo"): 2, ("Panasonic", "TimeInfo"): 2}

# Olympus's sub-directories (their own directory in the makernote): exiftool table -> directory.
OLYMPUS_DIRECTORIES = {
    "Equipment": 0x2010,
    "CameraSettings": 0x2020,
    "RawDevelopment": 0x2030,
    "RawDevelopment2": 0x2031,
    "ImageProcessing": 0x2040,
    "FocusInfo": 0x2050,
}

# Canon's custom functions: exiftool table -> the directory Kelmarin files them under (the tag is
# the function's number or id in both); the later form's functions that one body gives a meaning of
# its own lie in that body's directory (EOS 450D, 1000D).
CANON_CUSTOM = {
    "CustomFunctions2": (0x0099, 153450, 1531000),
    "CustomFunctions1D": 0x0090,
    "CustomFunctions5D": 155,
    "CustomFunctions10D": 1510,
    "CustomFunctions20D": 1520,
    "CustomFunctions30D": 1530,
    "CustomFunctions350D": 15350,
    "CustomFunctions400D": 15400,
    "CustomFunctionsD30": 15030,
    "CustomFunctionsD60": 15030,
}

# Nikon's versioned blocks, which Kelmarin files as a sub-directory named by the block's tag, their
# values under numbers of its own: exiftool table (its name up to the version) -> (directory,
# {name or (name, exiftool index): Kelmarin's tag}). Items of these tables without a number here
# count as unnamed.
_PC = {"PictureControlVersion": 0, "PictureControlName": 1, "PictureControlBase": 2,
       "PictureControlAdjust": 3, "PictureControlQuickAdjust": 4, "FilterEffect": 10, "ToningEffect": 11,
       ("Sharpness", 50): 5, ("Contrast", 51): 6, ("Brightness", 52): 7, ("Saturation", 53): 8,
       ("HueAdjustment", 54): 9, ("ToningSaturation", 57): 12,
       ("Sharpness", 51): 0x15, ("Clarity", 53): 0x1D, ("Contrast", 55): 0x16, ("Brightness", 57): 0x17,
       ("Saturation", 59): 0x18, ("Hue", 61): 0x19, ("ToningSaturation", 65): 0x1C,
       ("Sharpness", 57): 0x15, ("MidRangeSharpness", 59): 0x1E, ("Clarity", 61): 0x1D, ("Contrast", 63): 0x16,
       ("Brightness", 65): 0x17, ("Saturation", 67): 0x18, ("Hue", 69): 0x19, ("ToningSaturation", 73): 0x1C}
NIKON_BLOCKS = {
    "PictureControl": (0x0023, _PC),
    "ShotInfo": (0x0091, {"ShotInfoVersion": 0, "FirmwareVersion": 1, "ShutterCount": 2, "ISO2": 3,
                          "AFFineTuneAdj": 4, "DistortionControl": 5,
                          # the D300's custom settings
                          "CustomSettingsBank": 0x1001, "CustomSettingsAllDefault": 0x1002,
                          "AF-CPrioritySelection": 0x1011, "AF-SPrioritySelection": 0x1012,
                          "AFPointSelection": 0x1013, "DynamicAFArea": 0x1014, "FocusTrackingLockOn": 0x1015,
                          "AFActivation": 0x1021, "FocusPointWrap": 0x1022, "AFPointIllumination": 0x1023,
                          "AFAssist": 0x1025, "AF-OnForMB-D10": 0x1033, "ISOStepSize": 0x1061,
                          "ExposureControlStepSize": 0x1062, "ExposureCompStepSize": 0x1063,
                          "EasyExposureCompensation": 0x1064, "CenterWeightedAreaSize": 0x1071,
                          "FineTuneOptCenterWeighted": 0x1072, "FineTuneOptMatrixMetering": 0x1081,
                          "FineTuneOptSpotMetering": 0x1082, "MultiSelectorShootMode": 0x1091,
                          "MultiSelectorPlaybackMode": 0x1092, "InitialZoomSetting": 0x1093, "MultiSelector":
                          0x1094, "ExposureDelayMode": 0x10a1, "CLModeShootingSpeed": 0x10a2,
                          "MaxContinuousRelease": 0x10b0, "ReverseIndicators": 0x10c1, "FileNumberSequence":
                          0x10c2, "BatteryOrder": 0x10c5, "MB-D10Batteries": 0x10c6, "Beep": 0x10d1,
                          "ShootingInfoDisplay": 0x10d2, "GridDisplay": 0x10d3, "ViewfinderWarning": 0x10d4,
                          "FuncButton": 0x10e1, "FuncButtonPlusDials": 0x10e2, "PreviewButton": 0x10f1,
                          "PreviewButtonPlusDials": 0x10f2, "AELockButton": 0x1101, "AELockButtonPlusDials":
                          0x1102, "CommandDialsReverseRotation": 0x1111, "CommandDialsChangeMainSub": 0x1112,
                          "CommandDialsApertureSetting": 0x1113, "CommandDialsMenuAndPlayback": 0x1114,
                          "LCDIllumination": 0x1115, "PhotoInfoPlayback": 0x1116, "ShutterReleaseButtonAE-L":
                          0x1117, "ReleaseButtonToUseDial": 0x1118, "SelfTimerTime": 0x1121, "MonitorOffTime":
                          0x1122, "FlashSyncSpeed": 0x1141, "FlashShutterSpeed": 0x1142, "AutoBracketSet":
                          0x1151, "AutoBracketModeM": 0x1152, "AutoBracketOrder": 0x1153, "ModelingFlash":
                          0x1154, "NoMemoryCard": 0x1161, "MeteringTime": 0x1162, "InternalFlash": 0x1171}),
    "ColorBalance": (0x0097, {"ColorBalanceVersion": 0, "WB_RBGGLevels": 1, "WB_RGGBLevels": 2,
                              "WB_RGBGLevels": 3, "WB_GRBGLevels": 4}),
    "LensData": (0x0098, {"LensDataVersion": 0, "AFAperture": 5, "FocusPosition": 8, "FocusDistance": 9,
                          "FocalLength": 10, "LensIDNumber": 11, "LensFStops": 12, "MinFocalLength": 13,
                          "MaxFocalLength": 14, "MaxApertureAtMinFocal": 15, "MaxApertureAtMaxFocal": 16,
                          "MCUVersion": 17, "EffectiveMaxAperture": 18}),
    "VRInfo": (0x001F, {"VRInfoVersion": 0, "VibrationReduction": 4, "VRMode": 6}),
    "WorldTime": (0x0024, {"TimeZone": 0, "DaylightSavings": 2, "DateDisplayFormat": 3}),
    "DistortInfo": (0x002B, {"DistortionVersion": 0, "AutoDistortionControl": 4}),
    "MultiExposure": (0x00B0, {"MultiExposureVersion": 0, "MultiExposureMode": 4, "MultiExposureShots": 8,
                               "MultiExposureAutoGain": 12}),
    "FileInfo": (0x00B8, {"FileInfoVersion": 0, "MemoryCardNumber": 4, "DirectoryNumber": 6, "FileNumber": 8}),
    "ISOInfo": (0x0025, {"ISO": 0, "ISOExpansion": 4, "ISO2": 6, "ISOExpansion2": 10}),
    "AFTune": (0x00B9, {"AFFineTune": 0, "AFFineTuneIndex": 1, "AFFineTuneAdj": 2, "AFFineTuneAdjTele": 3}),
    "FaceDetect": (0x0021, {"FaceDetectFrameSize": 2, "FacesDetected": 6}),
    "RetouchInfo": (0x00BB, {"RetouchInfoVersion": 0, "RetouchNEFProcessing": 5}),
    "UnknownInfo": (0x002C, {"UnknownInfoVersion": 0}),
    "AFInfo2": (0x00B7, {"AFInfo2Version": 0, "ContrastDetectAF": 4, "AFAreaMode": 5, "PhaseDetectAF": 6,
                         "PrimaryAFPoint": 7, "AFPointsUsed": 8, "AFImageWidth": 16, "AFImageHeight": 18,
                         "AFAreaXPosition": 20, "AFAreaYPosition": 22, "AFAreaWidth": 24, "AFAreaHeight": 26,
                         "ContrastDetectAFInFocus": 28}),
    "FlashInfo": (0x00A8, {"FlashInfoVersion": 0, "FlashSource": 1, "ExternalFlashFirmware": 2,
                           "ExternalFlashFlags": 3, "FlashCommanderMode": 4, "FlashControlMode": 5,
                           "FlashCompensation": 6, "FlashOutput": 6, "FlashFocalLength": 7,
                           "RepeatingFlashRate": 8, "RepeatingFlashCount": 9, "FlashGNDistance": 10,
                           "FlashColorFilter": 11, "FlashGroupAControlMode": 12, "FlashGroupBControlMode": 13,
                           "FlashGroupCControlMode": 14, "FlashGroupACompensation": 15,
                           "FlashGroupBCompensation": 16, "FlashGroupCCompensation": 17,
                           "ExternalFlashCompensation": 18, "FlashExposureComp3": 19, "FlashExposureComp4": 20}),
    # after AFInfo2: the tables are found by the start of their name
    "AFInfo": (0x0088, {"AFAreaMode": 0, "AFPoint": 1, "AFPointsInFocus": 2}),
}

# Canon's per-body and versioned blocks, which Kelmarin files as a sub-directory named by the block's
# tag, their values under numbers of its own (CanonBlocks.h): exiftool table (its name up to the body
# or form) -> (directory, {name: Kelmarin's tag}). The picture-style and colour tables below them
# ("...-MakerNotes") use the same names.
_STYLES = ["Standard", "Portrait", "Landscape", "Neutral", "Faithful", "Monochrome", "UserDef1", "UserDef2",
           "UserDef3"]
_SETTINGS = ["Contrast", "Sharpness", "Saturation", "ColorTone", "FilterEffect", "ToningEffect"]
_CAMERA_INFO = {name: number + 1 for number, name in enumerate(
    ["FNumber", "ExposureTime", "ISO", "FlashMeteringMode", "CameraTemperature", "FocalLength",
     "CameraOrientation", "FocusDistanceUpper", "FocusDistanceLower", "WhiteBalance", "ColorTemperature",
     "LensType", "MinFocalLength", "MaxFocalLength", "FirmwareVersion", "OwnerName", "DirectoryIndex",
     "FileIndex", "LensModel"])}
_CAMERA_INFO.update({setting + style: 0x100 + 8 * s + k for s, style in enumerate(_STYLES)
                     for k, setting in enumerate(_SETTINGS)})
_CAMERA_INFO.update({f"UserDef{n}PictureStyle": 0x180 + n for n in (1, 2, 3)})
_LIGHTS = ["AsShot", "Auto", "Measured", "Unknown", "Daylight", "Shade", "Cloudy", "Tungsten", "Fluorescent",
           "Kelvin", "Flash", "Custom1", "Custom2"] + [f"Unknown{n}" for n in range(2, 12)] + ["PC1", "PC2", "PC3",
                                                                                               "Custom"]
_COLOR_DATA = {"ColorDataVersion": 0, "AverageBlackLevel": 0x10, "RawMeasuredRGGB": 0x11,
               "PerChannelBlackLevel": 0x12, "NormalWhiteLevel": 0x13, "SpecularWhiteLevel": 0x14,
               "LinearityUpperMargin": 0x15}
_COLOR_DATA.update({f"WB_RGGBLevels{light}": 0x100 + 2 * k for k, light in enumerate(_LIGHTS)})
_COLOR_DATA.update({f"ColorTemp{light}": 0x101 + 2 * k for k, light in enumerate(_LIGHTS)})
_COLOR_DATA.update({f"CameraColorCalibration{n:02d}": 0x200 + n for n in range(1, 16)})
CANON_BLOCKS = {"CanonCameraInfo": (0x000D, _CAMERA_INFO), "ColorData": (0x4001, _COLOR_DATA)}
# Canon's autofocus records: from the first array on, Kelmarin files a field under its place in the
# sequence in a sub-directory named by the record's tag.
CANON_AF_ARRAYS = {"CanonAFInfo": (0x0012, 8), "CanonAFInfo2": (0x0026, 8), "AFInfo3": (0x003C, 8)}

APPLE_RUN_TIME = {"flags": 1, "value": 2, "epoch": 3, "timescale": 4}

IGNORED_GROUPS = {"ExifTool", "File", "PrintIM", "PreviewIFD", "MakerUnknown"}
UNNAMED = re.compile(r"_0x[0-9a-fA-F]+$|^Ricoh_Text_")


def run_json(command):
    result = subprocess.run(command, capture_output=True, text=True, check=False)
    if not result.stdout.strip():
        return []
    return json.loads(result.stdout)


def jpegs(folders):
    files = []
    for folder in folders:
        for path in sorted(glob.glob(os.path.join(folder, "**", "*"), recursive=True)):
            if os.path.isfile(path) and path.lower().endswith((".jpg", ".jpeg", ".jpe")):
                files.append(path)
    return files


def olympus_tables():
    """(tag name, tag number) -> directories of Olympus's sub-directories, from exiftool's tag list."""
    xml = subprocess.run(["exiftool", "-listx", "-Olympus:all"], capture_output=True, text=True).stdout
    tables = collections.defaultdict(set)
    for table in ElementTree.fromstring(xml).iter("table"):
        directory = OLYMPUS_DIRECTORIES.get(table.get("name", "").split("::")[-1])
        if directory is None:
            continue
        for tag in table.iter("tag"):
            tables[(tag.get("name"), int(tag.get("id"), 0))].add(directory)
    return tables


def exiftool_key(group, path, name, ident, olympus):
    """(kind, directory, tag, position) of an exiftool makernote item; kind "außen" when not comparable."""
    if group == "Apple" and path.endswith("RunTime") and ident in APPLE_RUN_TIME:
        return ("ifd", 0x0003, APPLE_RUN_TIME[ident], 0)  # keys of a property list, filed as 1 to 4
    if group == "Canon" and path.endswith("CanonCameraInfoUnknown32") and name == "CameraTemperature":
        return ("ifd", 0x000D, 0x14, 0)  # its place counts from the end of the list
    if group in ("Ricoh", "JVC") and isinstance(ident, str) and re.fullmatch(r"[A-Za-z]{1,4}", ident):
        return ("ifd", 0, int.from_bytes(ident.encode(), "big"), 0)  # the text forms' keys ("Rv", "VER")
    if group == "Nikon" and isinstance(ident, str) and re.fullmatch(r"\d+\.\d+", ident):
        ident = ident.split(".")[0]  # a bit field of a Nikon block's byte: named by its name
    if not isinstance(ident, str) or not re.fullmatch(r"0x[0-9a-fA-F]+|\d+", ident):
        return ("außen", 0, 0, 0)
    number = int(ident, 0)
    below = path.split("MakerNotes", 1)[1]
    if below == "":
        return ("ifd", 0, number, 0)
    table = below.lstrip("-")
    if group == "Canon" and table in CANON_CUSTOM:
        return ("ifd", CANON_CUSTOM[table], number, 0)
    if group == "Canon" and table in CANON_AF_ARRAYS and number >= CANON_AF_ARRAYS[table][1]:
        return ("ifd", CANON_AF_ARRAYS[table][0], number, 0)
    if group == "Canon" and table == "CanonCameraInfoUnknown32" and name == "CameraTemperature":
        return ("ifd", 0x000D, 0x14, 0)
    if group == "Canon" and table in ("CanonCameraInfo40D", "CanonCameraInfo550D") and name == "DirectoryIndex":
        return ("ifd", 0x000D, 0x15, 0)  # stored + 1 in these bodies
    if group == "Canon":
        for prefix, (directory, tags) in CANON_BLOCKS.items():
            if table.startswith(prefix) and name in tags:
                return ("ifd", directory, tags[name], 0)
    if group == "Nikon":
        for prefix, (directory, tags) in NIKON_BLOCKS.items():
            if table.startswith(prefix):
                tag = tags.get(name, tags.get((name, number), 0x10000 + number))
                return ("ifd", directory, tag, 0)
    if group == "Olympus" and table == "MakerNotes":
        directories = olympus.get((name, number))
        return ("ifd", tuple(sorted(directories)), number, 0) if directories else ("außen", 0, 0, 0)
    parent = KNOWN_LISTS.get((group, table))
    if parent is not None:
        return ("list", 0, parent, (number // LIST_UNITS.get((group, table), 1) + 1, number + 1))
    return ("außen", 0, 0, 0)


def kelmarin_names(item_list):
    named = set()
    for item in item_list:
        if item.get("label", "???") != "???":
            named.add((item.get("directory", 0), int(item["tag"].split(".")[0]) if isinstance(item["tag"], str)
                       else item["tag"], item.get("position", 0)))
    return named


def makernote_items(record):
    for section in record.get("sections", []):
        if section.get("section") == 3:
            return section.get("items", [])
    return []


def lister(given):
    """The lister given, else the newest one built in the tree."""
    exif = given or max(glob.glob(os.path.join(ROOT, "build", "*", "src", "app", "kelmarin-exif")),
                        key=os.path.getmtime, default="")
    if not exif:
        sys.exit("kelmarin-exif nicht gefunden (--exif PROGRAMM)")
    return exif


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exif", default=os.environ.get("KELMARIN_EXIF", ""))
    parser.add_argument("--missing", action="store_true", help="list the items Kelmarin leaves unnamed")
    parser.add_argument("--canon-values", action="store_true")
    parser.add_argument("folders", nargs="+")
    args = parser.parse_args()
    exif = lister(args.exif)
    files = jpegs(args.folders)
    definitions = os.path.join(ROOT, "data", "metadata.def")
    kelmarin = {os.path.abspath(record["file"]): record
                for record in run_json([exif, "--json", "--definitions", definitions] + files)}
    exiftool = run_json(["exiftool", "-j", "-G1:5", "-H", "-u"] + files)
    olympus = olympus_tables()

    counts = collections.defaultdict(lambda: [0, 0, 0])  # maker -> [counted, named, außen]
    missing = collections.Counter()
    for record in exiftool:
        named = kelmarin_names(makernote_items(kelmarin.get(os.path.abspath(record["SourceFile"]), {})))
        for key, entry in record.items():
            parts = key.split(":")
            if not isinstance(entry, dict) or len(parts) < 3 or "MakerNotes" not in parts[1]:
                continue
            group, path, name = parts[0], parts[1], parts[-1]
            if group in IGNORED_GROUPS or UNNAMED.search(name):
                continue
            maker = group.replace("Custom", "")
            kind, directory, tag, position = exiftool_key(maker, path, name, entry.get("id"), olympus)
            if kind == "außen":
                counts[maker][2] += 1
                continue
            counts[maker][0] += 1
            directories = directory if isinstance(directory, tuple) else (directory,)
            positions = position if isinstance(position, tuple) else (position,)
            if any((d, tag, p) in named for d in directories for p in positions):
                counts[maker][1] += 1
            else:
                where = f"{directories[0]}:{tag:#06x}" if directories[0] else f"{tag:#06x}"
                missing[(maker, where + (f".{positions[0]}" if positions[0] else ""), name)] += 1

    print(f"{'Hersteller':<12} {'gezählt':>8} {'benannt':>8} {'Anteil':>8} {'außen':>7}")
    for maker, (total, hits, outside) in sorted(counts.items()):
        share = f"{hits * 100 / total:.1f} %" if total else "-"
        print(f"{maker:<12} {total:>8} {hits:>8} {share:>8} {outside:>7}")
    if args.missing:
        print("\nUnbenannt (Hersteller, Tag, exiftool-Name, Anzahl):")
        for (maker, where, name), n in sorted(missing.items()):
            print(f"{maker}\t{where}\t{name}\t{n}")
    if args.canon_values:
        canon_values(files, kelmarin)


# Canon values that the listing shows in the camera's own units (its label names the unit):
# position -> conversion of Kelmarin's raw number into exiftool's value (None: needs other values).
APEX = {
    (1, 24): None, (1, 25): None,  # focal lengths in focal units (position 1.26)
    (1, 27): lambda v: 2 ** (v / 64), (1, 28): lambda v: 2 ** (v / 64), (1, 36): lambda v: v / 10,
    (4, 2): lambda v: 100 * 2 ** (v / 32), (4, 3): lambda v: 100 * 2 ** (v / 32) / 32,
    (4, 4): lambda v: v / 32 + 5, (4, 5): lambda v: 2 ** (v / 64), (4, 6): lambda v: 2 ** (-v / 32),
    (4, 7): lambda v: v / 32, (4, 14): lambda v: v / 32, (4, 13): lambda v: v - 128, (4, 16): lambda v: v / 32,
    (4, 18): lambda v: v / 32, (4, 22): lambda v: 2 ** (v / 64), (4, 23): lambda v: 2 ** (-v / 32),
    (4, 24): lambda v: v / 8 - 6, (4, 20): lambda v: v / 100, (4, 21): lambda v: v / 100,
}


def canon_values(files, kelmarin):
    """Values of Canon's camera settings (tag 1) and shot information (tag 4) against exiftool.

    A value agrees when Kelmarin's raw number, converted by the unit its label names, is exiftool's
    number (within 1 %), and Kelmarin names the value exactly where exiftool does; the named pairs
    are listed for a review of their meaning."""
    canon = [path for path in files
             if kelmarin.get(os.path.abspath(path), {}).get("maker") == 4]
    if not canon:
        return
    numbers = {os.path.abspath(r["SourceFile"]): r for r in run_json(["exiftool", "-j", "-G1:5", "-n", "-H"] + canon)}
    texts = {os.path.abspath(r["SourceFile"]): r for r in run_json(["exiftool", "-j", "-G1:5", "-H"] + canon)}
    total = agree = 0
    pairs = collections.Counter()
    for path in canon:
        rows = {(int(str(item["tag"]).split(".")[0]), item.get("position")): item
                for item in makernote_items(kelmarin[os.path.abspath(path)]) if item.get("position")}
        for key, entry in numbers[os.path.abspath(path)].items():
            parts = key.split(":")
            if not isinstance(entry, dict) or len(parts) < 3:
                continue
            tag = {"CanonCameraSettings": 1, "CanonShotInfo": 4}.get(parts[1].split("MakerNotes", 1)[-1].lstrip("-"))
            if tag is None:
                continue
            position = int(entry["id"], 0) + 1
            row = rows.get((tag, position))
            shown = str(texts[os.path.abspath(path)].get(key, {}).get("val"))
            total += 1
            if row is None:
                pairs[(tag, position, parts[-1], str(entry["val"]), shown, "-", "fehlt")] += 1
                continue
            value = entry["val"]
            if (tag, position) in APEX:
                convert = APEX[(tag, position)]
                if convert is None:
                    units = rows.get((1, 26))
                    convert = (lambda v, u=float(units["raw"]) if units else 0: v / u if u else None)
                raw = _number(row["raw"])
                converted = convert(raw - 65536 if raw is not None and raw > 32767 else raw)
                ok = _close(converted, value)
                detail = "*" if ok else f"{row['raw']} -> {converted}"
                pairs[(tag, position, parts[-1], "*" if ok else str(value), detail, "Einheit",
                       "ja" if ok else "nein")] += 1
            else:
                # exiftool names a value unless it prints a number, its unit or "Unknown (n)".
                exiftool_names = not (shown.startswith(str(value)) or _close(_number(shown), value)
                                      or shown.startswith("Unknown ("))
                kelmarin_names = _number(row["information"]) is None
                raw = _number(row["raw"])
                same = (_close(raw, value) or (raw is not None and _close(raw - 65536, value))
                        or _close(_number(row["information"]), value)
                        or (_number(value) is None and kelmarin_names))
                ok = same and (kelmarin_names or not exiftool_names)
                shown_pair = (shown, row["information"]) if exiftool_names or kelmarin_names else ("*", "*")
                pairs[(tag, position, parts[-1], str(value) if shown_pair[0] != "*" else "*", shown_pair[0],
                       shown_pair[1], "ja" if ok else "nein")] += 1
            agree += ok
    print(f"\nCanon Kameraeinstellungen und Aufnahmedaten: {agree}/{total} Werte stimmen überein"
          f" ({agree * 100 / max(total, 1):.1f} %)")
    print("Position, exiftool-Name, Wert, exiftool, Kelmarin, übereinstimmend, Anzahl:")
    for (tag, position, name, value, shown, information, ok), n in sorted(pairs.items()):
        print(f"{tag}.{position}\t{name}\t{value}\t{shown}\t{information}\t{ok}\t{n}")


def _number(text):
    try:
        return float(str(text).split(",")[0])
    except ValueError:
        return None


def _close(a, b):
    try:
        a, b = float(a), float(b)
    except (TypeError, ValueError):
        return False
    return abs(a - b) <= 0.01 * max(abs(b), 0.01)


if __name__ == "__main__":
    main()
