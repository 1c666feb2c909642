#include "ListerOptions.h"

namespace kelmarin::lister {

const char* UsageText() {
  return "Aufruf: kelmarin-exif [--definitions DATEI] [--json] [--info] DATEI...\n"
         "  --definitions DATEI  Metadaten-Definitionsdatei (sonst metadata.def neben dem Programm)\n"
         "  --json               ein JSON-Dokument statt Text\n"
         "  --info               Bild ganz laden und die Angaben der Informationsanzeige ausgeben\n"
         "Exit-Status: 0 alles gelesen, 1 eine Datei war nicht lesbar, 2 Definitionsdatei oder Aufruf "
         "fehlerhaft\n";
}

ParsedOptions ParseArguments(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  ListerOptions& o = parsed.options;
  bool optionsEnded = false;
  const std::string definitionsEq = "--definitions=";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.files.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--info") {
      o.info = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--definitions") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        parsed.error = "--definitions braucht einen Dateinamen";
        return parsed;
      }
      o.definitions = arguments[++i];
    } else if (a.compare(0, definitionsEq.size(), definitionsEq) == 0) {
      o.definitions = a.substr(definitionsEq.size());
      if (o.definitions.empty()) {
        parsed.error = "--definitions braucht einen Dateinamen";
        return parsed;
      }
    } else {
      parsed.error = "unbekannte Option: " + a;
      return parsed;
    }
  }
  if (o.files.empty() && !o.help) parsed.error = "keine Datei angegeben";
  return parsed;
}

}  // namespace kelmarin::lister
