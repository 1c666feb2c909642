#include "ListerOptions.h"

#include <string_view>

namespace kelmarin::lister {

const char* UsageText() {
  return "Aufruf: kelmarin-exif [OPTIONEN] DATEI...\n"
         "       kelmarin-exif --diff [OPTIONEN] DATEI1 DATEI2\n"
         "Gibt die Metadaten der Bilddateien aus, wie sie die Metadatenliste von Kelmarin zeigt.\n"
         "  --definitions DATEI  Metadaten-Definitionsdatei (sonst metadata.def neben dem Programm)\n"
         "  --json               ein JSON-Dokument statt Text\n"
         "  --csv                CSV nach RFC 4180: eine Zeile je Eintrag\n"
         "  --info               Bild ganz laden und die Angaben der Informationsanzeige ausgeben\n"
         "  -r, --rekursiv       Ordner samt Unterordnern nach Bilddateien durchsuchen\n"
         "  --dateiliste DATEI   Dateinamen aus DATEI lesen, einer je Zeile (- steht für die\n"
         "                       Standardeingabe, auch als DATEI-Argument)\n"
         "  -0                   Dateinamen der Listen enden mit NUL statt mit Zeilenende\n"
         "  --diff               die Einträge, in denen sich zwei Dateien unterscheiden\n"
         "  --summary            nur die Zeilen von „Auf einen Blick“ (Kamera, Objektiv, Belichtung,\n"
         "                       Brennweite, Aufnahmezeit, Ort, Bild, Bewertung); mit --json je\n"
         "                       Datei ein Objekt \"summary\"\n"
         "  --version            Programmversion, Version der Definitionsdatei und der Bibliotheken\n"
         "  -h, --help           diese Hilfe\n"
         "  --                   Ende der Optionen: die folgenden Argumente sind Dateinamen\n"
         "Exit-Status: 0 alles gelesen (bei --diff: keine Unterschiede), 1 eine Datei, ein Ordner\n"
         "oder eine Dateiliste war nicht lesbar, 2 Definitionsdatei oder Aufruf fehlerhaft,\n"
         "3 die Dateien von --diff unterscheiden sich\n";
}

namespace {

// The value of an option that takes a file name, in either form; false (and the error set) when
// it is missing.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, std::string_view option,
               std::string& value, std::string& error) {
  const std::string& a = arguments[i];
  if (a.size() > option.size() && a.compare(0, option.size(), option) == 0 && a[option.size()] == '=') {
    value = a.substr(option.size() + 1);
  } else if (i + 1 < arguments.size()) {
    value = arguments[++i];
  } else {
    value.clear();
  }
  if (value.empty()) error = std::string(option) + " braucht einen Dateinamen";
  return !value.empty();
}

bool StartsWithOption(const std::string& argument, std::string_view option) {
  return argument == option ||
         (argument.size() > option.size() && argument.compare(0, option.size(), option) == 0 &&
          argument[option.size()] == '=');
}

// Options that make no sense together.
std::string Conflict(const ListerOptions& o) {
  if (o.json && o.csv) return "--json und --csv schließen einander aus";
  if (o.diff && o.info) return "--diff und --info schließen einander aus";
  if (o.diff && o.recursive) return "--diff und --rekursiv schließen einander aus";
  if (o.summary && o.csv) return "--summary und --csv schließen einander aus";
  if (o.summary && o.info) return "--summary und --info schließen einander aus";
  if (o.summary && o.diff) return "--summary und --diff schließen einander aus";
  if (o.names.empty() && !o.help && !o.version) return "keine Datei angegeben";
  return {};
}

}  // namespace

ParsedOptions ParseArguments(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  ListerOptions& o = parsed.options;
  bool optionsEnded = false;
  const std::pair<std::string_view, bool*> flags[] = {{"--json", &o.json},      {"--csv", &o.csv},
                                                      {"--info", &o.info},      {"--help", &o.help},
                                                      {"-h", &o.help},          {"--version", &o.version},
                                                      {"-r", &o.recursive},     {"--rekursiv", &o.recursive},
                                                      {"-0", &o.nulSeparated},  {"--diff", &o.diff},
                                                      {"--summary", &o.summary}};
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "-") {
      o.names.push_back({NameSource::StandardInput, {}});
      continue;
    }
    if (optionsEnded || a.empty() || a[0] != '-') {
      o.names.push_back({NameSource::Argument, a});
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    bool known = false;
    for (const auto& [name, flag] : flags) {
      if (a == name) *flag = known = true;
    }
    if (known) continue;
    if (StartsWithOption(a, "--definitions")) {
      if (!TakeValue(arguments, i, "--definitions", o.definitions, parsed.error)) return parsed;
    } else if (StartsWithOption(a, "--dateiliste")) {
      std::string list;
      if (!TakeValue(arguments, i, "--dateiliste", list, parsed.error)) return parsed;
      o.names.push_back(list == "-" ? NameArgument{NameSource::StandardInput, {}}
                                    : NameArgument{NameSource::ListFile, list});
    } else {
      parsed.error = "unbekannte Option: " + a;
      return parsed;
    }
  }
  parsed.error = Conflict(o);
  return parsed;
}

}  // namespace kelmarin::lister
