#!/usr/bin/env python3
"""Agreement in meaning of every value kelmarin-exif and exiftool both show, per section and maker.

Runs `kelmarin-exif --json` and exiftool (`-j -G1:5 -H -u`, once as printed and once with `-n`)
over the files below each FOLDER and pairs their rows:
  EXIF        exiftool's IFD0, ExifIFD and InteropIFD against Kelmarin's first section, IFD1
              against the thumbnail section, GPS against the GPS section (by tag number);
  Makernote   the items of the makernote's directories (as tools/makernote-share.py keys them);
  Array       the values of lists exiftool decodes as a table of its own ("tag.position").
Only rows Kelmarin names (label other than "???") and exiftool names are compared; a list of bytes
whose one number Kelmarin shows in its sub-row ".1" is compared with that sub-row too. Values
exiftool does not show ("(Binary data …)", "(large array …)") are not compared. A row agrees when
  - both give the same text (trimmed, case ignored; exiftool's date against the stored date; a
    text's NUL padding shown as "_"; a time of day with more or fewer decimals), or
  - exiftool prints a number (with its unit) and Kelmarin's stored value, the number it shows, or its
    stored value converted by the unit its label names (UNIT_CONVERSIONS) is exiftool's number
    (within 0.5 % or the rounding of the shown number), element by element for lists; degrees,
    minutes and seconds against exiftool's degrees; an offset exiftool counts from the file's start
    against the stored one counted from the TIFF header; or
  - exiftool names the value and Kelmarin's shown name is the same word or a pair of SAME_MEANING
    (reviewed by looking at the pairs: German against English, same meaning), or
  - exiftool names a model by its regional names separated by " / " and Kelmarin's name (or each
    name of its own " / " list) is one of those whole names.
A value name of exiftool against a bare number of Kelmarin never agrees. Where exiftool prints only a
number and Kelmarin names it, the stored numbers must agree (exiftool gives no name to judge).
Pairs of names neither in SAME_MEANING nor in DIFFERENT are counted as disagreeing and listed with
--pairs for review.

Usage: tools/value-agree.py [--exif PROGRAM] [--definitions FILE] [--diff] [--pairs] FOLDER...
Needs: python3, exiftool (Debian package libimage-exiftool-perl).
"""

import argparse
import collections
import glob
import importlib.util
import math
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
_spec = importlib.util.spec_from_file_location("makernote_share", os.path.join(ROOT, "tools", "makernote-share.py"))
share = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(share)

EXIF_GROUPS = {"IFD0": 1, "ExifIFD": 1, "InteropIFD": 1, "IFD1": 2, "GPS": 4}

# Units a label names in parentheses: candidate conversions of the stored number into exiftool's
# value. A label naming APEX × 32 is read as the quantity exiftool shows (aperture, speed, time or
# EV); each conversion is the unit's definition, never fitted to a file.
UNIT_CONVERSIONS = {
    "APEX × 32": [lambda v: 2 ** (v / 64), lambda v: 100 * 2 ** (v / 32), lambda v: 100 * 2 ** (v / 32) / 32,
                  lambda v: 2 ** (-v / 32), lambda v: v / 32],
    "APEX": [lambda v: 2 ** -v, lambda v: 2 ** (v / 2), lambda v: 100 * 2 ** (v - 5)],
    "× 10": [lambda v: v / 10],
    "× 100": [lambda v: v / 100],
    "1/32 LW": [lambda v: v / 32],
    "LW": [lambda v: v / 32, lambda v: v],
    "+128 °C": [lambda v: v - 128],
    "cm": [lambda v: v / 100],
    "mm": [lambda v: v],
    "Zehntelsekunden": [lambda v: v / 10],
    "1/1000 Zoll": [lambda v: v * 25.4 / 1000, lambda v: v],
    "1/100 s": [lambda v: v / 100],
    "1/60 s": [lambda v: v / 60],
    "1/100000 s": [lambda v: v / 100000],
    "in 1/100000 s": [lambda v: v / 100000],
    "1/256": [lambda v: v / 256],
    "1/256 mm": [lambda v: v / 256],
    "in 1/100 mm": [lambda v: v / 100],
    "1/1000 mm": [lambda v: v / 1000],
    "1/1000 LW": [lambda v: v / 1000],
    "1/8 LW": [lambda v: v / 8],
    "1/3 Stufen": [lambda v: v / 3],
    "in Zehnteln": [lambda v: v / 10],
    "1/10 Grad": [lambda v: v / 10],
    "kPa × 10": [lambda v: v / 10],
    "mV": [lambda v: v / 1000],
    "µs": [lambda v: v / 1e6],  # Other makers: Sigma's exposure time in microseconds
    "Brennweiteneinheiten": [None],  # divided by the focal units per mm of the same list (1.26)
}

# Units exiftool appends to a number; a printed value with nothing else is a number, not a name.
UNIT_WORDS = re.compile(r"^(mm|cm|m|km|s|sec|ms|ev|c|f|deg|dpi|um|µm|mm-1|k|m above sea level|"
                        r"m below sea level|x|kb|mb|bytes|%|iso|lux|v|a|n|e|w|s|"
                        r"km/h|mph|knots|ft|in|inches|°c|°f|degrees|mega|kpa)$", re.I)

# Value names with the same meaning (exiftool's English, Kelmarin's German), reviewed pair by pair.
SAME_MEANING = {
    ('(none)', 'keine'),
    ('None; None; None', 'keiner, keiner, keiner'),
    ('Standard; Standard; Standard', 'Standard, Standard, Standard'),
    ('(not set)', 'nicht eingestellt'),
    ('Single-Frame', 'Einzelbild'),
    ('Continuous', 'Serienbild'),
    ('Fill-in', 'Aufhellblitz'),
    ('Unsigned; Unsigned; Unsigned', 'vorzeichenlose Ganzzahl, vorzeichenlose Ganzzahl, vorzeichenlose Ganzzahl'),
    ('Unsigned; Unsigned; Unsigned; Unsigned', 'vorzeichenlose Ganzzahl, vorzeichenlose Ganzzahl, vorzeichenlose Ganzzahl, vorzeichenlose Ganzzahl'),
    ('YCbCr4:2:0 (2 2)', 'YCbCr 4:2:0'),
    ('YCbCr4:2:2 (2 1)', 'YCbCr 4:2:2'),
    ('[Red,Green][Green,Blue]', '[Rot,Grün][Grün,Blau]'),
    ('[Blue,Green][Green,Red]', '[Blau,Grün][Grün,Rot]'),
    ('[Green,Blue][Red,Green]', '[Grün,Blau][Rot,Grün]'),
    ('Standard Light A', 'Normlicht A'),
    ('HDR (original saved)', 'HDR (Original gespeichert)'),
    ('Original (for HDR)', 'Original (für HDR)'),
    ('AF Not Used', 'Autofokus nicht benutzt'),
    ('Bounce or Off', 'indirekt oder aus'),
    ('Edited (Landscape)', 'bearbeitet (Landschaft)'),
    ('Flash?', 'Blitz (vermutlich)'),
    ('Single AF', 'Einzel-AF'),
    ('n/a', 'nicht zutreffend'),
    ('n/a', 'nicht verfügbar'),
    ('n/a', '0/0'),  # an undefined fraction shown as stored
    ('n/a (x4)', '0/0'),
    ('undef', '0/0'),
    ('inf', 'unendlich'),
    ('0 (normal)', 'Normal'),
    ('0,-,+/Enabled', '0, -, + / automatisch beendet'),
    ('1.539999962-6mm f/1.6-2.4', '1.54-6mm f/1.6-2.4'),  # exiftool prints the float unrounded
    ('1.539999962-6mm f/1.8-2.4', '1.54-6mm f/1.8-2.4'),  # exiftool prints the float unrounded
    ('1/3 Stop', '1/3 Stufe'),
    ('1st-curtain sync', 'auf den ersten Verschlussvorhang'),
    ('5300K (Fine Weather)', '5300K (schönes Wetter)'),
    ('ADI (Advanced Distance Integration)', 'ADI'),
    ('AF Point', 'AF-Messfeld'),
    ('AF stop', 'AF-Stopp'),
    ('AF/AE lock', 'AF/AE-Speicherung'),
    ('Above Sea Level', 'über dem Meeresspiegel'),
    ('Aperture-priority AE', 'Zeitautomatik (Blendenvorwahl)'),
    ('Associated Alpha', 'Alphakanal (vormultipliziert)'),
    ('Auto', 'Autofokus'),
    ('Auto', 'Automatik'),
    ('Auto', 'Automatisch'),
    ('Auto', 'automatisch'),
    ('Auto AF point selection', 'automatische Messfeldwahl'),
    ('Auto, Did not fire', 'Blitzautomatik, nicht ausgelöst'),
    ('Auto, Fired', 'Blitzautomatik, ausgelöst'),
    ('Auto, Fired, Red-eye reduction, Return not detected', 'Blitzautomatik, ausgelöst, Rote-Augen-Reduktion, Reflexion nicht erkannt'),
    ('Auto, Fired, Return detected', 'Blitzautomatik, ausgelöst, Reflexion erkannt'),
    ('Average', 'Mittelwert'),
    ('Below Sea Level', 'unter dem Meeresspiegel'),
    ('Best', 'Beste'),
    ('Best', 'beste Aufnahme'),
    ('Black & White', 'Schwarzweiß'),
    ('Blur Warning', 'Verwacklungsgefahr'),
    ('Bottom', 'unten'),
    ('Camera Local Control', 'an der Kamera'),
    ('Cancel selected', 'Abbrechen gewählt'),
    ('Cell Phone', 'Telefon'),
    ('Center', 'Mitte'),
    ('Center-weighted average', 'mittenbetont'),
    ('Center-weighted average', 'mittenbetont integral'),
    ('Centered', 'mittig'),
    ('Chrome', 'Chrom'),
    ('Chunky', 'Komponenten verschachtelt'),
    ('Close', 'Nahaufnahme'),
    ('Cloudy', 'bewölkt'),
    ('Co-sited', 'deckungsgleich (co-sited)'),
    ('Compact', 'Kompaktkamera'),
    ('Continuous', 'Serienbild'),
    ('Continuous', 'kontinuierlich'),
    ('Continuous, Low', 'Serienbild langsam'),
    ('Creative (Slow speed)', 'Kreativprogramm (Schärfentiefe)'),  # EXIF 2.32 names code 5 'biased toward depth of field'; exiftool's gloss differs, same code and program
    ('Custom', 'Benutzerdefiniert'),
    ('Custom', 'besondere Verarbeitung'),
    ('Data Form', 'Datumsform'),  # exiftool's wording for a folder named by the date
    ('Daylight', 'Tageslicht'),
    ('Default', 'Vorgabe'),
    ('Default (no function)', 'keine Funktion'),
    ('Default Settings', 'Standardeinstellungen'),
    ('Did Not Fire', 'nicht ausgelöst'),
    ('Digital Camera', 'Digitalkamera'),
    ('Directly photographed', 'direkt fotografiert'),
    ('Disable', 'gesperrt'),
    ('Display', 'anzeigen'),
    ('Distant', 'Fernaufnahme'),
    ('Dynamic Area', 'dynamisch'),
    ('Dynamic Area (closest subject)', 'dynamisch (nächstes Objekt)'),
    ('E-TTL, Built-in', 'E-TTL mit eingebautem Blitz'),
    ('EOS High-end', 'EOS Oberklasse'),
    ('EOS Mid-range', 'EOS Mittelklasse'),
    ('Easy', 'Motivprogramm'),
    ('Electronic First Curtain', 'elektronischer erster Verschlussvorhang'),
    ('Emits', 'wird ausgestrahlt'),
    ('Enable', 'möglich'),
    ('Enabled but Not Used', 'Eingeschaltet, aber nicht benutzt'),
    ('Evaluative', 'Mehrfeld'),
    ('Evaluative', 'Mehrfeldmessung'),
    ('Exposure Compensation', 'Belichtungskorrektur'),
    ('Extended', 'Erweitert'),
    ('FINE', 'Qual:FINE'),  # Kodak's quality text with its key
    ('Face Detect', 'Gesichtserkennung'),
    ('Fill flash', 'Aufhellblitz'),
    ('Fine', 'Fein'),
    ('Fine', 'fein'),
    ('Fine Weather', 'schönes Wetter'),
    ('Fine/Medium Low', 'fein / mittel-niedrig'),
    ('Fired', 'Blitz ausgelöst'),
    ('Fired, TTL Mode', 'ausgelöst (TTL)'),
    ('Fires', 'zündet'),
    ('Flash', 'Blitz'),
    ('Focus Lock', 'Fokusspeicher'),
    ('Full', 'Normal (Farbe)'),  # Casio colour mode: full colour
    ('Full', 'Voll'),
    ('Full', 'volle Größe'),
    ('Full Control', 'volle Kontrolle'),
    ('Full auto', 'Vollautomatik'),
    ('Full-resolution image', 'volles Bild'),
    ('General Composite Image', 'zusammengesetztes Bild'),
    ('Good', 'Richtig belichtet'),
    ('Good', 'Scharf'),
    ('HDR Image', 'HDR-Bild'),
    ('HQ (Normal)', 'HQ (hoch)'),  # same quality step; the glosses in parentheses differ
    ('Hard', 'hart'),
    ('High', 'Hoch'),
    ('High', 'Hoch (Fein)'),
    ('High', 'hart'),
    ('High', 'hoch'),
    ('High Dynamic Range', 'hoher Dynamikumfang (HDR)'),
    ('High Speed', 'schnell'),
    ('High gain up', 'stark erhöht'),
    ('Home', 'Heimatort'),
    ('Horizontal (normal)', 'Normal'),
    ('Horizontal (normal)', 'normal'),
    ('Horizontal differencing', 'horizontale Differenzen'),
    ('ISO Speed', 'ISO-Empfindlichkeit'),
    ('JPEG (old-style)', 'JPEG (Vorschaubild)'),  # code 6, the thumbnail's JPEG (EXIF 2.32, 4.6.5); presentation only
    ('Kodak', 'Kodak                           _'),  # the padding NUL shown as '_' (display code 1)
    ('Landscape', 'Landschaft'),
    ('Large', 'groß'),
    ('Last Quarter', 'letztes Viertel'),
    ('Left', 'links'),
    ('Left+Center', 'links und Mitte'),
    ('Low', 'Niedrig'),
    ('Low', 'gering'),
    ('Low', 'niedrig'),
    ('Low', 'weich'),
    ('Low gain up', 'leicht erhöht'),
    ('Macro', 'Makro'),
    ('Manual', 'manuell'),
    ('Manual Focus (3)', 'manuelle Fokussierung'),
    ('Mechanical', 'mechanisch'),
    ('Medium', 'mittel'),
    ('Medium 1', 'mittel 1'),
    ('Medium 2', 'mittel 2'),
    ('Mid-left', 'Mitte links'),
    ('Mirror horizontal', 'horizontal gespiegelt'),
    ('Mirror horizontal and rotate 270 CW', 'gespiegelt und 90° gegen den Uhrzeigersinn gedreht'),
    ('Mirror horizontal and rotate 90 CW', 'gespiegelt und 90° im Uhrzeigersinn gedreht'),
    ('Mirror vertical', 'vertikal gespiegelt'),
    ('Multi-segment', 'Mehrfeld'),
    ('Multi-segment', 'Mehrfeldmessung'),
    ('Natural', 'Natürlich'),
    ('Natural Light', 'Natürliches Licht'),
    ('Natural color', 'Natürliche Farben'),
    ('Natural color', 'natürliche Farben'),
    ('No', 'Keiner'),
    ('No', 'Nein'),
    ('No', 'nein'),
    ('No', 'nicht ausgelöst'),
    ('No Flash', 'kein Blitz'),
    ('No flash function', 'kein Blitzgerät'),
    ('None', 'Keine'),
    ('None', 'Keiner'),
    ('None', 'keine'),
    ('None', 'keine Anpassung'),
    ('None', 'keiner'),
    ('None', 'keines'),
    ('Normal AE', 'normale Belichtung'),
    ('Normal/Medium Low', 'normal / mittel-niedrig'),
    ('Not Defined', 'nicht angegeben'),
    ('Not Known', 'unbekannt'),
    ('Not Ready', 'nicht bereit'),
    ('Not defined', 'nicht angegeben'),
    ('OLYMPUS DIGITAL CAMERA', 'OLYMPUS DIGITAL CAMERA         _'),
    ('Off', 'Aus'),
    ('Off', 'Blitz aus'),
    ('Off', 'Keines'),
    ('Off', 'aus'),
    ('Off (Manual Focus)', 'aus (manuelle Fokussierung)'),
    ('Off, Did not fire', 'Blitz aus, nicht ausgelöst'),
    ('On', 'Ein'),
    ('On', 'ein'),
    ('On (2)', 'ein'),
    ('On (Shooting)', 'ein (Aufnahme)'),
    ('On, Did not fire', 'Blitz ein, nicht ausgelöst'),
    ('On, Fired', 'Blitz ein, ausgelöst'),
    ('On, Mode 1', 'ein, Modus 1'),
    ('On, Mode 2', 'Ein, Modus 2'),
    ('On, Optical', 'Ein, optisch'),
    ('On, Return detected', 'Blitz ein, ausgelöst, Reflexion erkannt'),
    ('One-chip color area', 'Ein-Chip-Farbsensor'),
    ('Original Image', 'Originalbild'),
    ('Other', 'andere Lichtquelle'),
    ('Other', 'anderer'),
    ('Portrait', 'Porträt'),
    ('Previous (top if power off)', 'zuletzt gewählte (nach dem Ausschalten die erste)'),
    ('Program', 'Programmautomatik'),
    ('Program AE', 'Programmautomatik'),
    ('Ready', 'bereit'),
    ('Recommended Exposure Index', 'Empfohlener Belichtungsindex (REI)'),
    ('Record while down', 'Aufnahme solange gedrückt'),
    ('Red-eye reduction (Auto)', 'Rote-Augen-Reduzierung (automatisch)'),
    ('Reduced-resolution image', 'verkleinertes Bild'),
    ('Reversed', 'niedrigstes Bit zuerst'),
    ('Rotate 180', 'um 180° gedreht'),
    ('Rotate 270 CW', '270° im Uhrzeigersinn'),
    ('Rotate 270 CW', '90° gegen den Uhrzeigersinn gedreht'),
    ('Rotate 270 CW', 'Um 270° im Uhrzeigersinn gedreht'),
    ('Rotate 90 CW', '90° im Uhrzeigersinn'),
    ('Rotate 90 CW', '90° im Uhrzeigersinn gedreht'),
    ('Rotate 90 CW', 'Um 90° im Uhrzeigersinn gedreht'),
    ('SHQ (Fine)', 'SHQ (sehr hoch)'),  # same quality step; the glosses in parentheses differ
    ('SQ (Low)', 'SQ (Standard)'),  # same quality step; the glosses in parentheses differ
    ('Saturated Color', 'kräftige Farben'),
    ('Saturation', 'Farbsättigung'),
    ('Shutter speed priority AE', 'Blendenautomatik (Zeitvorwahl)'),
    ('Single', 'Einzel-AF'),
    ('Single', 'Einzelbild'),
    ('Single', 'einzeln'),
    ('Single Area', 'Einzelfeld'),
    ('Single Point', 'Einzelfeld'),
    ('Single-Area Auto Focus', 'Einzelfeld-Autofokus'),
    ('Single-point AF', 'Einzelfeld-AF'),
    ('Small', 'klein'),
    ('Soft', 'weich'),
    ('Standard Form', 'Standardform'),
    ('Standard Output Sensitivity', 'Standard-Ausgabeempfindlichkeit (SOS)'),
    ('Standard Output Sensitivity and Recommended Exposure Index', 'SOS und REI'),
    ('Standard or Custom', 'Standard oder benutzerdefiniert'),
    ('Still Image', 'Einzelbild'),
    ('Superfine', 'superfein'),
    ('Swap', 'vertauscht'),
    ('T4/Group 3 Fax', 'CCITT Gruppe 3 (Fax)'),
    ('Top', 'oben'),
    ('Uncalibrated', 'nicht kalibriert'),
    ('Uncompressed', 'unkomprimiert'),
    ('Unknown', 'unbekannt'),
    ('Unknown (0)', 'andere'),  # EXIF FileSource 0 is 'others'
    ('Vivid', 'lebhaft'),
    ('Waning Gibbous', 'abnehmender Mond'),
    ('WhiteIsZero', 'Graustufen (Weiß ist null)'),
    ('Wide Focus (normal)', 'Weitfeld'),
    ('Y, Cb, Cr, -', 'YCbCr'),  # same channels, shown as one word
    ('Yes', 'Ja'),
    ('Yes', 'ja'),
    ('cm', 'Zentimeter'),
    ('inches', 'Pixel pro Zoll'),
    ('inches', 'Zoll'),
    ('undef', '0/0'),
    # Nikon's custom settings, AF, flash and Canon's camera-information blocks, Apple's run time:
    # reviewed pair by pair (same code, German wording).
    ('(none)', 'keines'),
    ('Valid', 'gültig'),
    ('Release', 'Auslösung'),
    ('11 Points', '11 Messfelder'),
    ('9 Points', '9 Messfelder'),
    ('Shutter/AF-On', 'Auslöser und AF-ON'),
    ('No Wrap', 'kein Umlauf'),
    ('Select Center Focus Point', 'mittleres Messfeld wählen'),
    ('Thumbnail On/Off', 'Miniaturen ein/aus'),
    ('Low Magnification', 'gering'),
    ('Do Nothing', 'keine Funktion'),
    ('MB-D10 First', 'MB-D10 zuerst'),
    ('LR6 (AA alkaline)', 'LR6 (AA Alkali)'),
    ('Bracketing Burst', 'Belichtungsreihe als Serie'),
    ('Auto Bracketing', 'Belichtungsreihe'),
    ('AE Lock Only', 'nur AE-Speicher'),
    ('AF Lock Only', 'nur AF-Speicher'),
    ('Sub-command Dial', 'Subeinstellrad'),
    ('Info Up-down, Playback Left-right', 'Infos hoch/runter und Wiedergabe links/rechts'),
    ('AE & Flash', 'Belichtung und Blitz'),
    ('Flash/Speed', 'Blitz und Zeit'),
    ('Enable Release', 'Auslösung möglich'),
    ('(none)', 'keiner'),
    ('On (51-point)', 'ein (51 Messfelder)'),
    ('Rotate 90 CW', 'um 90° im Uhrzeigersinn gedreht'),
    ('Horizontal (normal)', 'waagerecht'),
    ('On (11-point)', 'ein (11 Messfelder)'),
    ('Internal', 'eingebaut'),
    ('iTTL-BL', 'i-TTL-Aufhellblitz'),
    ('Auto-area', 'automatisch'),
    ('On (39-point)', 'ein (39 Messfelder)'),
    # Lists named as a whole (display code 37), reviewed pair by pair.
    ('n/a (JPEG)', 'nicht zutreffend (JPEG)'),
    ('Single Shot', 'Einzelbild'),
    ('1-area', '1 Feld'),
    ('3-area (high speed)', '3 Felder (schnell)'),
    ('Normal, Sequence: 0, Panorama: (none)', 'normal, Bild 0 der Folge, kein Panorama'),
    ('None', 'keiner'),  # Olympus Extender, all six values 0
    ('Left (or n/a)', 'links (oder nicht zutreffend)'),
    # The first value named, the others as numbers (display code 37's sibling 38).
    ('Off; 0; 0', 'aus, 0, 0'),
    ('Off; 0; 0; 0', 'aus, 0, 0, 0'),
    ('Off; 1', 'aus, 1'),
    ('AF Used; 64', 'Autofokus benutzt, 64'),
    ('AF Used; 256', 'Autofokus benutzt, 256'),
    # Canon
    ('Canon RF 50mm F1.2L USM or other Canon RF Lens', 'Canon RF-Objektiv'),  # code 61182: any RF lens
    ('On (0x09)', 'ein'),  # Intelligent Contrast: bit 3 set is on; exiftool adds the stored code
    ('3:2 (APS-C crop)', '3:2 (APS-C-Ausschnitt)'),
    ('LCD monitor On/Off', 'LCD-Monitor ein/aus'),
    ('Normal (disabled)', 'normal (ohne Funktion)'),
    ('Live mode', 'Live-Modus'),
    ('Metering + AF start', 'Messung und AF-Start'),
    ('3 shots', '3 Aufnahmen'),
    # Other makers (Kodak, Minolta, Sigma, Leica and the rest): reviewed pair by pair.
    ('Aperture-priority AE (1)', 'Zeitautomatik (Blendenvorwahl) 1'),  # Leica T: the list 1 1 0 0
    ('<zero pattern size>', 'leeres Muster (Größe 0)'),  # EXIF CFAPattern of 0 columns or rows
    # Nikon, Olympus: reviewed pair by pair (same values, German wording).
    ('G VR', 'D, G, VR'),  # Nikon lens type 14: exiftool leaves out the D bit every G lens sets
    ('7 fps', '7 Bilder/s'),
    ('Off (3904x2616 cropped to 3904x2616 at pixel 0,0)', 'aus (Bild 3904 × 2616, Ausschnitt 3904 × 2616 ab Pixel 0,0)'),
    ('Off (4352x2868 cropped to 4352x2868 at pixel 0,0)', 'aus (Bild 4352 × 2868, Ausschnitt 4352 × 2868 ab Pixel 0,0)'),
    ('Off (4672x3084 cropped to 4672x3084 at pixel 0,0)', 'aus (Bild 4672 × 3084, Ausschnitt 4672 × 3084 ab Pixel 0,0)'),
    ('Off (6016x4016 cropped to 6016x4016 at pixel 0,0)', 'aus (Bild 6016 × 4016, Ausschnitt 6016 × 4016 ab Pixel 0,0)'),
    ('Single AF; S-AF, Imager AF', 'Einzel-AF; S-AF, Bildsensor-AF'),
    ('Single AF; S-AF, AF sensor', 'Einzel-AF; S-AF, AF-Sensor'),
    ('Normal; User-Selected', 'normal; vom Benutzer gewählt'),
    ('n/a; User-Selected', 'nicht zutreffend; vom Benutzer gewählt'),
    ('Natural; 2', 'natürlich; 2'),
    ('Vivid; 2', 'lebhaft; 2'),
    ('Pin Hole; 2304; 0; 0', 'Lochkamera; 2304; 0; 0'),
    # the fourth value is the partial colour's number (0), shown as the number
    ('Pin Hole; 2304; 0; Partial Color 0; No Effect; 0; No Color Filter; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0',
     'Lochkamera; 2304; 0; 0; kein Effekt; 0; kein Farbfilter; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0; 0'),
    ('Highlights; 0; -7; 7; Shadows; 0; -7; 7; 0; 0; 0; 0', 'Lichter; 0; -7; 7; Schatten; 0; -7; 7; 0; 0; 0; 0'),
    ('none', 'keine'),  # Olympus AF areas, all 64 values 0
}

# Pairs looked at and found to mean something else (who is wrong in the comment).
DIFFERENT = {
    ('On', '0,0,0,0'),  # Minolta 0x0018: exiftool shows that the data is there, we show the data
    ('On, Mode 2', '1,48,48,0,0,213,0,0,0,111,...(53)'),  # Panasonic stabiliser block shown raw
    ('undef', '0.0'),  # Minolta FlashExposureComp 0/10: exiftool reads no number
    ('00:00:00', '0/0,0/0,0/0'),  # exiftool: an undefined GPS time shown as midnight; we show it undefined
}


def number_list(text):
    """Numbers of a value (fractions evaluated; "...(n)" ends a shortened list), or None."""
    text = str(text).strip()
    if text == "":
        return None
    short = re.search(r",?\.\.\.\((\d+)\)$", text)
    if short:
        text = text[:short.start()]
    values = []
    for part in re.split(r"[,\s]+", text.strip(", ")):
        part = part.strip()
        if part.lower().startswith("f") and len(part) > 1:
            part = part[1:].lstrip("/")
        part = part.rstrip("x")
        fraction = re.fullmatch(r"([+-]?\d+(?:\.\d+)?)/([+-]?\d+(?:\.\d+)?)", part)
        try:
            if fraction:
                denominator = float(fraction.group(2))
                values.append(float(fraction.group(1)) / denominator if denominator else math.inf)
            else:
                values.append(float(part))
        except ValueError:
            return None
    return (values, bool(short))


def decimals(text):
    match = re.search(r"\.(\d+)", str(text))
    return len(match.group(1)) if match else 0


def close(a, b, shown=""):
    if math.isinf(a) or math.isinf(b):
        return a == b
    tolerance = max(0.005 * abs(b), 0.5 * 10 ** -decimals(shown) if shown else 1e-9, 1e-9)
    return abs(a - b) <= tolerance


def lists_agree(ours, theirs, shown=""):
    if ours is None or theirs is None:
        return False
    values, shortened = ours
    if not values or (len(values) != len(theirs) and not (shortened and len(values) < len(theirs))):
        return False
    return all(close(a, b, shown) for a, b in zip(values, theirs))


def exiftool_numbers(value):
    if isinstance(value, (int, float)):
        return [float(value)]
    parsed = number_list(value)
    return parsed[0] if parsed else None


def printed_number(text):
    """The numbers exiftool prints (a unit word after them allowed), or None for a name."""
    text = re.sub(r"/(mm|s|sec)\b", "", str(text).strip())
    if text.lower().startswith("unknown ("):
        return None
    words = text.replace("(", " ").replace(")", " ").split()
    numeric = [w for w in words if not UNIT_WORDS.match(w)]
    parsed = number_list(" ".join(w.lstrip("+") for w in numeric))
    return parsed[0] if parsed and numeric else None


def is_name(text):
    if str(text).strip() in ("n/a", "inf", "undef") or str(text).startswith("n/a ("):
        return True  # exiftool's words for "no value" and "infinite"
    if " deg " in str(text) or str(text).lower().startswith("unknown ("):
        return False  # degrees, minutes and seconds; exiftool gives no name to the code
    return re.search(r"[A-Za-zÄÖÜäöüß]{2,}", str(text)) is not None and printed_number(text) is None


def norm(text):
    return re.sub(r"\s+", " ", str(text)).strip().strip("\x00").strip().casefold()


def bytes_text(raw):
    parsed = number_list(raw)
    if not parsed or parsed[1] or not all(0 <= v < 256 and v == int(v) for v in parsed[0]):
        return None
    return bytes(int(v) for v in parsed[0]).split(b"\0")[0].decode("latin-1")


def label_unit(label):
    match = re.search(r"\(([^()]*)\)\s*$", label)
    return match.group(1) if match else None


def converted(row, context):
    unit = label_unit(row.get("label", ""))
    raw = number_list(row.get("raw", ""))
    if unit not in UNIT_CONVERSIONS or raw is None or len(raw[0]) != 1:
        return []
    value = raw[0][0]
    results = []
    for convert in UNIT_CONVERSIONS[unit]:
        for v in {value, value - 65536 if value > 32767 else value}:
            if convert is None:
                units = context.get("focal units")
                if units:
                    results.append(v / units)
            else:
                try:
                    results.append(convert(v))
                except OverflowError:
                    pass
    return results


def judge(row, printed, number, context):
    """("ja" | "nein" | "ungeprüft", kind) for one pair of rows."""
    ours, raw = str(row.get("information", "")), str(row.get("raw", ""))
    if isinstance(printed, str) and printed.startswith(("(Binary data", "(large array")):
        return None  # exiftool shows no values to compare
    if norm(printed) == norm(ours) and norm(ours):
        return "ja", "Text"  # the same shown text
    if isinstance(number, str) and exiftool_numbers(number) is None:
        # A text: the stored text, the shown text or bytes read as text.
        if norm(number) in (norm(raw), norm(ours), norm(bytes_text(raw) or "")) or norm(printed) == norm(ours):
            return "ja", "Text"
        clock = [number_list(t.replace(":", ",")) for t in (number, ours)]
        if re.fullmatch(r"\d+:\d+:[\d.]+", str(number)) and clock[1] and lists_agree(clock[1], clock[0][0]):
            return "ja", "Zahl"  # a time of day with more or fewer decimals of the seconds
        if re.fullmatch(r"[^_]*[^_ ] *_+", ours) and norm(ours.rstrip("_ ")) == norm(number):
            return "ja", "Text"  # the padding NULs of a text shown as "_" by display code 1
        return pair_verdict(printed, ours), "Text"
    theirs = exiftool_numbers(number)
    glossed = [float(x) for x in re.findall(r"(?<![\w.])[+-]?\d+(?:\.\d+)?(?![\w.])", str(printed))]
    if is_name(printed) and theirs and len(glossed) == len(theirs) > 1 \
            and all(close(a, b) for a, b in zip(glossed, theirs)) and lists_agree(number_list(raw), theirs):
        return "ja", "Zahl"  # every value printed as its number, words only around them ("0 (min -2, max 2)")
    if re.fullmatch(r"0x[0-9a-fA-F]+", str(printed).strip()):
        # exiftool prints the number in hexadecimal (Reconyx version, Olympus lens properties):
        # the same number, not a name
        stored = number_list(raw)
        return ("ja" if stored and lists_agree(stored, [float(int(str(printed).strip(), 16))]) else "nein"), "Zahl"
    if is_name(printed):
        if norm(printed) == norm(ours):
            return "ja", "Name"
        if not is_name(ours):
            return "nein", "Name gegen Zahl"
        if alternatives_agree(printed, ours):
            return "ja", "Name"
        return pair_verdict(printed, ours), "Name"
    if lists_agree(number_list(raw), theirs) or lists_agree(number_list(ours), theirs, ours):
        return "ja", "Zahl"
    printed_numbers = printed_number(printed)
    if printed_numbers and lists_agree(number_list(ours), printed_numbers, ours):
        return "ja", "Zahl"
    if theirs and len(theirs) == 1 and any(close(c, theirs[0]) for c in converted(row, context)):
        return "ja", "Einheit"
    base = context.get("tiff start", 0)
    if theirs and len(theirs) == 1 and base and lists_agree(number_list(raw), [theirs[0] - base]) \
            and re.search(r"Offset|Start", context.get("name", "")):
        return "ja", "Zahl"  # exiftool counts offsets from the file's start, we show the stored one
    degrees = number_list(raw)
    if theirs and len(theirs) == 1 and degrees and len(degrees[0]) == 3:
        d, m, sec = degrees[0]
        if close(d + m / 60 + sec / 3600, abs(theirs[0]), "0.00001"):
            return "ja", "Zahl"  # degrees, minutes, seconds against exiftool's signed degrees
    text = bytes_text(raw)
    if text is not None and norm(text) == norm(number):
        return "ja", "Text"
    return "nein", "Zahl"


def model_alternatives(text):
    """The names of a " / " list of regional model names, a leading "Canon " and case ignored; an
    EOS body's later names carry the family word of the first ("EOS Rebel XS / 1000D / Kiss F")."""
    names = [re.sub(r"^canon ", "", norm(part)) for part in str(text).split(" / ")]
    family = "eos " if names[0].startswith("eos ") else ""
    return set(names) | {family + name for name in names[1:] if family and not name.startswith(family)}


def alternatives_agree(printed, ours):
    """exiftool names a model by all its regional names separated by " / ": a name of ours (or each
    of a " / " list of ours) that is one of those whole alternatives names the same model."""
    if " / " not in str(printed):
        return False
    theirs = model_alternatives(printed)
    return all(re.sub(r"^canon ", "", norm(part)) in theirs for part in str(ours).split(" / "))


def pair_verdict(printed, ours):
    key = (str(printed).strip(), str(ours).strip())
    if key in SAME_MEANING:
        return "ja"
    if key in DIFFERENT:
        return "nein"
    return "ungeprüft"


def kelmarin_rows(record):
    """(section, directory, tag, position) -> rows of Kelmarin's listing."""
    rows = collections.defaultdict(list)
    for section in record.get("sections", []):
        for item in section.get("items", []):
            if item.get("label", "???") == "???":
                continue
            tag = item["tag"]
            tag = int(str(tag).split(".")[0])
            rows[(section["section"], item.get("directory", 0), tag, item.get("position", 0))].append(item)
    return rows


def maker_of(record):
    make = ""
    for key, entry in record.items():
        if key.endswith(":Make") and key.startswith("IFD0") and isinstance(entry, dict):
            make = str(entry.get("val", ""))
            break
    word = make.strip().split(" ")[0].upper() if make.strip() else "-"
    return {"NIKON": "Nikon", "CANON": "Canon", "OLYMPUS": "Olympus", "KONICA": "Minolta",
            "MINOLTA": "Minolta", "PENTAX": "Pentax", "ASAHI": "Pentax", "SONY": "Sony",
            "FUJIFILM": "Fujifilm", "PANASONIC": "Panasonic", "EASTMAN": "Kodak", "KODAK": "Kodak",
            "CASIO": "Casio", "SAMSUNG": "Samsung", "RICOH": "Ricoh", "SANYO": "Sanyo", "APPLE": "Apple",
            "HEWLETT-PACKARD": "HP", "SIGMA": "Sigma", "LEICA": "Leica"}.get(word, word.title())


def pair_rows(record, rows, olympus):
    """(section name, maker group, key, exiftool name, row list) for every exiftool item with a row."""
    for key, entry in record.items():
        parts = key.split(":")
        if not isinstance(entry, dict) or len(parts) < 3 or "id" not in entry:
            continue
        group, path, name = parts[0], parts[1], parts[-1]
        if "MakerNotes" not in path:
            section = EXIF_GROUPS.get(group)
            if section is None or not re.fullmatch(r"0x[0-9a-fA-F]+", str(entry["id"])):
                continue
            tag = int(entry["id"], 16)
            yield "EXIF", None, key, name, rows.get((section, 0, tag, 0), [])
            continue
        if group in share.IGNORED_GROUPS or share.UNNAMED.search(name):
            continue
        maker = group.replace("Custom", "")
        kind, directory, tag, position = share.exiftool_key(maker, path, name, entry.get("id"), olympus)
        if kind == "außen":
            continue
        directories = directory if isinstance(directory, tuple) else (directory,)
        positions = position if isinstance(position, tuple) else (position,)
        found = [row for d in directories for p in positions for row in rows.get((3, d, tag, p), [])]
        if kind == "ifd" and all(rows.get((3, d, tag, 1)) and not rows.get((3, d, tag, 2)) for d in directories):
            # A list of bytes whose one number is shown in its sub-row (Casio's levels).
            found += [row for d in directories for row in rows[(3, d, tag, 1)]]
        yield ("Makernote" if kind == "ifd" else "Array"), maker, key, name, found


def tiff_start(path):
    """Position of the TIFF header of a JPEG's EXIF block in the file (0 when there is none)."""
    try:
        with open(path, "rb") as handle:
            head = handle.read(1 << 20)
    except OSError:
        return 0
    if head[:2] == b"\xff\xd8":
        found = head.find(b"Exif\0\0")
        return found + 6 if found >= 0 else 0
    if head[:4] in (b"II*\0", b"MM\0*"):
        return 0
    # Other containers (WebP, JPEG XL, ISO boxes): the first TIFF header after the first EXIF label
    # (a later "Exif" is text of the XMP packet, as in a WebP whose XMP chunk follows its EXIF chunk).
    labels = [at for at in (head.find(b"EXIF"), head.find(b"Exif")) if at >= 0]
    label = min(labels) if labels else 0
    found = [head.find(mark, label) for mark in (b"II*\0", b"MM\0*")]
    found = [at for at in found if at >= 0]
    return min(found) if found else 0


def media_files(folders):
    files = []
    for folder in folders:
        for path in sorted(glob.glob(os.path.join(folder, "**", "*"), recursive=True)):
            if os.path.isfile(path) and not path.lower().endswith((".md", "readme")) \
                    and os.path.basename(path) != "README":
                files.append(os.path.abspath(path))
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exif", default=os.environ.get("KELMARIN_EXIF", ""))
    parser.add_argument("--definitions", default=os.path.join(ROOT, "data", "metadata.def"))
    parser.add_argument("--diff", action="store_true", help="list the disagreeing rows")
    parser.add_argument("--pairs", action="store_true", help="list the value name pairs not yet reviewed")
    parser.add_argument("folders", nargs="+")
    args = parser.parse_args()
    exif = share.lister(args.exif)
    files = media_files(args.folders)
    definitions = args.definitions
    kelmarin = {}
    for start in range(0, len(files), 40):
        for record in share.run_json([exif, "--json", "--definitions", definitions] + files[start:start + 40]):
            kelmarin[os.path.abspath(record["file"])] = record
    printed = {os.path.abspath(r["SourceFile"]): r for r in share.run_json(["exiftool", "-j", "-G1:5", "-H", "-u"] + files)}
    numbers = {os.path.abspath(r["SourceFile"]): r
               for r in share.run_json(["exiftool", "-j", "-G1:5", "-H", "-u", "-n"] + files)}
    olympus = share.olympus_tables()

    counts = collections.defaultdict(lambda: [0, 0, 0])  # (section, maker) -> compared, agreeing, by unit
    diffs, unreviewed = [], collections.Counter()
    for path, record in sorted(printed.items()):
        rows = kelmarin_rows(kelmarin.get(path, {}))
        context = {}
        units = rows.get((3, 0, 1, 26))
        if units:
            context["focal units"] = (number_list(units[0]["raw"]) or ([0], False))[0][0]
        file_maker = maker_of(record)
        context["tiff start"] = tiff_start(path)
        for section, maker, key, name, found in pair_rows(record, rows, olympus):
            if not found:
                continue
            context["name"] = name
            verdicts = [judge(row, record[key]["val"], numbers.get(path, {}).get(key, {}).get("val"), context)
                        for row in found]
            if any(v is None for v in verdicts):
                continue
            verdict = next((v for v in verdicts if v[0] == "ja"), verdicts[0])
            count = counts[(section, maker or file_maker)]
            count[0] += 1
            if verdict[0] == "ja":
                count[1] += 1
                count[2] += verdict[1] == "Einheit"
                continue
            row = found[0]
            where = f"{row.get('directory', 0)}:" if row.get("directory") else ""
            where += f"{row['tag']}" + (f".{row['position']}" if row.get("position") else "")
            theirs = f"{record[key]['val']} [{numbers.get(path, {}).get(key, {}).get('val')}]"
            diffs.append((section, maker or file_maker, os.path.relpath(path, args.folders[0] + "/.."), where,
                          name, f"{row.get('information')} [{row.get('raw')}]", theirs, verdict[1]))
            if verdict[0] == "ungeprüft":
                unreviewed[(str(record[key]["val"]).strip(), str(row.get("information")).strip())] += 1

    print(f"{'Sektion':<10} {'Hersteller':<12} {'verglichen':>10} {'gleich':>8} {'Anteil':>8} {'per Einheit':>11}")
    for section in ("EXIF", "Makernote", "Array"):
        total = [0, 0, 0]
        for (name, maker), (n, hits, unit) in sorted(counts.items()):
            if name != section:
                continue
            total = [total[0] + n, total[1] + hits, total[2] + unit]
            print(f"{section:<10} {maker:<12} {n:>10} {hits:>8} {hits * 100 / n:>7.1f} % {unit:>11}")
        if total[0]:
            print(f"{section:<10} {'alle':<12} {total[0]:>10} {total[1]:>8} {total[1] * 100 / total[0]:>7.1f} %"
                  f" {total[2]:>11}")
    if args.diff:
        print("\nAbweichungen (Sektion, Hersteller, Datei, Tag, exiftool-Name, Kelmarin [roh], exiftool [-n], Art):")
        for diff in diffs:
            print("\t".join(str(part) for part in diff))
    if args.pairs:
        print("\nUngeprüfte Namenspaare (exiftool, Kelmarin, Anzahl):")
        for (theirs, ours), n in sorted(unreviewed.items()):
            print(f"    ({theirs!r}, {ours!r}): {n}")


if __name__ == "__main__":
    main()
