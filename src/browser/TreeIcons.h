#pragma once
// The image list of the folder tree and the toolbar: fourteen icons under their keys, drawn in one
// style (no image files needed).

#include <QIcon>
#include <QString>

namespace kelmarin {

// The icon of a key; an unknown key gives the "DriveUnbekannt" icon. Needs a QGuiApplication.
// Icons are drawn once and kept until the program ends.
QIcon TreeIcon(const QString& key);

// A folder node's icon: "DriveVerzeichnis", and "DriveVerzeichnisOffen" while the node is selected.
QIcon FolderNodeIcon();

}  // namespace kelmarin
