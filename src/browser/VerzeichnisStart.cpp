// The main window's start-up and shut-down, in the order the program has always kept.
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>
#include <clocale>
#include <cstdlib>

#include "browser/CurrentImage.h"
#include "browser/DesktopFit.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/HelpFile.h"
#include "browser/MessageBoxReporter.h"
#include "browser/Settings.h"
#include "browser/Verzeichnis.h"
#include "image/Components.h"
#include "metadata/Definitions.h"
#include "windows/Bild.h"
#include "windows/DialogFont.h"

namespace kelmarin {

namespace {

const QString kAdministration = QStringLiteral("Administration");
const QString kLastSession = QStringLiteral("LastSession");

// The usable area of the window's screen, in pixels.
QRect ScreenArea(const QWidget* window) {
  const QScreen* screen = window->screen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

// A setting read as a number, the fallback when absent or not a number.
double NumberSetting(const QString& name, double fallback) {
  return SettingNumber(ReadSetting(kAdministration, name, QString::number(fallback))).value_or(fallback);
}

QString DefaultStartFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? QDir::cleanPath(pictures) : QDir::homePath();
}

}  // namespace

bool Verzeichnis::Load() {
  // The application object switched the C library to the user's locale. The imaging libraries
  // read and write numbers in the C form (ImageMagick's WMF drawing rejects decimal commas), so the
  // numbers stay C for the whole process; texts shown to the user are formatted by QLocale.
  std::setlocale(LC_NUMERIC, "C");
  // 1. Imaging components.
  const bool ready = options.initComponents ? options.initComponents(*reporter) : InitComponents(*reporter);
  if (!ready) {
    unloaded = true;  // the window closes before anything was restored: nothing to store either
    close();
    return false;
  }
  // 2. Dialog font. 3. Definition file.
  SetDialogFont(this);
  KeepDialogsOnScreen(this);
  definitions = LoadDefinitions(options.definitionFile, *reporter);
  if (definitions == nullptr) {
    // The start-up ends here: design layout, no tree, no list, no restored settings.
    const TwipsScale scale = TwipsScale::Of(this);
    state.prevWidth = scale.ToTwipsX(width());
    state.prevHeight = scale.ToTwipsY(height());
    show();
    return true;
  }
  current->SetDefinitions(definitions.get());
  helpFile = FindHelpFile(options.programFolder);  // 4.
  hookActive = true;                               // 5.
  CheckVersion();                                  // 6.
  RestoreSizes();                                  // 7. to 13.
  sizesRestored = true;
  ApplySizeLimits();                               // 14.
  RestoreView();
  QByteArray fileName;
  const QByteArray start = StartFolder(fileName);  // 15.
  dateiliste->AddNameColumn();                     // 16. (its width follows the layout pass)
  RefreshTree(start, fileName);                    // 17.
  if (!ended) RestoreTreeHeight();
  return true;
}

void Verzeichnis::CheckVersion() {
  const QString running = QStringLiteral("%1.%2").arg(KELMARIN_VERSION_MAJOR).arg(KELMARIN_VERSION_MINOR);
  if (ReadSetting(kAdministration, QStringLiteral("version"), QStringLiteral("0.0")) != running) {
    DeleteSettingSection(kLastSession);
  }
  WriteSetting(kAdministration, QStringLiteral("version"), running);
}

void Verzeichnis::RestoreSizes() {
  const TwipsScale scale = TwipsScale::Of(this);
  state.minTreeWidth = scale.ToTwipsX(rahmenLinks->Filter()->width());
  const std::int32_t designWidth = scale.ToTwipsX(width());
  const std::int32_t designHeight = scale.ToTwipsY(height());
  const double treeWidth = NumberSetting(QStringLiteral("pwidth"), layout.tree.width);
  const double storedWidth = NumberSetting(QStringLiteral("fwidth"), designWidth);
  const double storedHeight = NumberSetting(QStringLiteral("fheigth"), scale.ToTwipsY(y()) + designHeight);
  const QRect area = ScreenArea(this);
  const std::int32_t screenWidth = scale.ToTwipsX(area.width());
  const std::int32_t screenHeight = scale.ToTwipsY(area.height());
  sizes = RestoreStartSizes(layout, state, treeWidth, RoundHalfEven(storedWidth), RoundHalfEven(storedHeight),
                            designHeight, screenWidth, screenHeight);
  ApplyLayout();

  // The corner where the design-size window would be centred; a larger restored window is moved
  // back just as far as it would reach past the screen's right or bottom edge.
  startMaximised = sizes.maximise;
  const QSize restored =
      startMaximised ? size() : QSize(scale.ToPixelsX(sizes.width), scale.ToPixelsY(sizes.height));
  QPoint corner = area.topLeft() + QPoint(scale.ToPixelsX((screenWidth - designWidth) / 2),
                                          scale.ToPixelsY((screenHeight - designHeight) / 2));
  corner.setX(std::max(area.left(), std::min(corner.x(), area.right() + 1 - restored.width())));
  corner.setY(std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - restored.height())));
  move(corner);
  resize(restored);
}

void Verzeichnis::ApplySizeLimits() {
  // Whole pixels: screen size and twips per pixel are rounded first, then divided without remainder.
  const TwipsScale scale = TwipsScale::Of(this);
  const int perX = std::max(1, RoundHalfEven(scale.perPixelX));
  const int perY = std::max(1, RoundHalfEven(scale.perPixelY));
  const QRect area = ScreenArea(this);
  // The frame the window manager draws (known once the window is shown) counts against the
  // screen too, and a small screen caps the minimum, so that the window never reaches past it.
  const QSize frame = frameGeometry().size() - size();
  const int maxWidth = std::max(1, scale.ToTwipsX(area.width()) / perX - frame.width());
  const int maxHeight = std::max(1, scale.ToTwipsY(area.height()) / perY - frame.height());
  setMinimumSize(std::min(MinWindowWidth(layout, sizes.minWidth) / perX, maxWidth),
                 std::min(sizes.minHeight / perY, maxHeight));
  setMaximumSize(maxWidth, maxHeight);
}

void Verzeichnis::FitOnScreen() {
  if (unloaded || ended) return;
  ApplySizeLimits();
  if (isMaximized()) return;
  const QRect frame = frameGeometry();
  const QRect fitted = FitInto(frame, ScreenArea(this));
  if (fitted == frame) return;
  resize(fitted.size() - (frame.size() - size()));
  move(fitted.topLeft());
}

void Verzeichnis::FollowTreeWidth() {
  if (!hookActive || unloaded) return;
  const int perX = std::max(1, RoundHalfEven(TwipsScale::Of(this).perPixelX));
  setMinimumWidth(std::min(MinWindowWidth(layout, sizes.minWidth) / perX, maximumWidth()));
}

QByteArray Verzeichnis::StartFolder(QByteArray& fileName) const {
  const QString stored = ReadSetting(kLastSession, QStringLiteral("startpath"), DefaultStartFolder());
  if (options.startArgument.isEmpty()) return QFile::encodeName(stored);
  const QFileInfo argument(options.startArgument);
  if (argument.isFile()) {
    fileName = QFile::encodeName(argument.fileName());
    return QFile::encodeName(QDir::cleanPath(argument.absolutePath()));
  }
  return QFile::encodeName(QDir::cleanPath(argument.absoluteFilePath()));
}

void Verzeichnis::closeEvent(QCloseEvent* event) {
  Unload();
  QMainWindow::closeEvent(event);
}

void Verzeichnis::Unload() {
  if (unloaded || ended) return;
  unloaded = true;
  UnloadViewer();
  current->Release();
  const TwipsScale scale = TwipsScale::Of(this);
  const QRect area = ScreenArea(this);
  // A maximised window stores the screen's size, so that it starts maximised again.
  const QSize stored = isMaximized() ? area.size() : size();
  if (hookActive) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  // Sizes the start-up never restored (the definition file failed) are the design's, not the
  // user's: the stored ones stay.
  if (sizesRestored) {
    WriteSetting(kAdministration, QStringLiteral("fwidth"), QString::number(scale.ToTwipsX(stored.width())));
    WriteSetting(kAdministration, QStringLiteral("fheigth"),
                 QString::number(scale.ToTwipsY(stored.height())));
    WriteSetting(kAdministration, QStringLiteral("pwidth"), QString::number(layout.tree.width));
    StoreView();
  }
  if (const QTreeWidgetItem* node = pfadbaum->SelectedNode()) {
    WriteSetting(kLastSession, QStringLiteral("startpath"), FolderTree::NodePathText(node));
  }
}

void Verzeichnis::Fatal(const QString& text) {
  ended = true;  // no shut-down runs after this: nothing else is stored
  if (options.showFatal) {
    options.showFatal(text);
  } else {
    ShowPlainMessage(this, text);
  }
  DeleteSettingSection(kLastSession);
  if (options.endProgram) {
    options.endProgram();
  } else {
    std::_Exit(EXIT_FAILURE);
  }
}

}  // namespace kelmarin
