// The main window: its controls at their design places, the menu, the layout pass and the splitters.
#include "browser/Verzeichnis.h"

#include <QAction>
#include <QEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "browser/CurrentImage.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/HelpFile.h"
#include "browser/InfoPanel.h"
#include "browser/MessageBoxReporter.h"
#include "browser/MetadataList.h"
#include "browser/MetadataSearchBar.h"
#include "browser/MountWatcher.h"
#include "browser/Settings.h"
#include "browser/SplitterBar.h"
#include "browser/SummaryPanel.h"
#include "browser/TreeIcons.h"
#include "metadata/Definitions.h"
#include "windows/Inform.h"

namespace kelmarin {

Verzeichnis::Verzeichnis(StartOptions startOptions, QWidget* parent)
    : QMainWindow(parent), options(std::move(startOptions)) {
  setObjectName(QStringLiteral("verzeichnis"));
  setWindowTitle(QStringLiteral("Kelmarin"));
  // The design geometry is measured for an 8-point dialog font; the face is the platform's.
  QFont dialogFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  dialogFont.setPointSizeF(8.0);
  setFont(dialogFont);
  if (options.reporter != nullptr) {
    reporter = options.reporter;
  } else {
    boxes = std::make_unique<MessageBoxReporter>(this);
    reporter = boxes.get();
  }
  CreateMenu();
  CreateControls();
  current = std::make_unique<CurrentImage>(*rahmenLinks, *rahmenRechts, *exifliste, this);
  current->SetReporter(reporter);
  current->SetSummaryPanel(aufEinenBlick);
  current->viewerOpened = [this] { ConnectViewer(); };
  ConnectReactions();
  SetUpFolderView();
  PlaceDesign();
}

Verzeichnis::~Verzeichnis() = default;

void Verzeichnis::CreateMenu() {
  infoAction = menuBar()->addAction(QStringLiteral("&Info"));
  helpAction = menuBar()->addAction(QStringLiteral("&Hilfe"));
  quitAction = menuBar()->addAction(QStringLiteral("B&eenden"));
  connect(infoAction, &QAction::triggered, this, [this] { ShowAboutWindow(this); });
  connect(helpAction, &QAction::triggered, this, [this] { OpenHelp(helpFile, *reporter); });
  connect(quitAction, &QAction::triggered, this, &QWidget::close);
}

void Verzeichnis::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);
  client->installEventFilter(this);
  rahmenGesamt = new QWidget(client);
  rahmenGesamt->setObjectName(QStringLiteral("Rahmen_Gesamt"));

  pfadHoch = new QToolBar(rahmenGesamt);
  pfadHoch->setObjectName(QStringLiteral("PfadHoch"));
  QIcon up = TreeIcon(QStringLiteral("DriveVerzeichnisHoch"));
  for (int size : {16, 24, 32}) {
    up.addPixmap(TreeIcon(QStringLiteral("DriveVerzeichnisHochGrau")).pixmap(size), QIcon::Disabled);
  }
  upAction = pfadHoch->addAction(up, QString());
  pfadHoch->installEventFilter(this);  // a click anywhere on the bar goes up too
  upAction->setToolTip(QStringLiteral("Verzeichnis hoch"));
  label1 = new QLabel(QStringLiteral("Verzeichnis:"), rahmenGesamt);
  label1->setObjectName(QStringLiteral("Label1"));
  basisverzeichnis = new QLabel(QStringLiteral("Arbeitsplatz"), rahmenGesamt);
  basisverzeichnis->setObjectName(QStringLiteral("Basisverzeichnis"));
  basisverzeichnis->setTextFormat(Qt::PlainText);

  pfadbaum = new FolderTree(rahmenGesamt);
  vsplitter = new SplitterBar(Qt::Vertical, QStringLiteral("vsplitter"), rahmenGesamt);
  hsplitter = new SplitterBar(Qt::Horizontal, QStringLiteral("hsplitter"), rahmenGesamt);
  dateiliste = new FileList(rahmenGesamt);
  exifliste = new MetadataList(rahmenGesamt);
  suchleiste = new MetadataSearchBar(rahmenGesamt);
  aufEinenBlick = new SummaryPanel(rahmenGesamt);
  rahmenLinks = new FilterPanel(rahmenGesamt);
  rahmenRechts = new InfoPanel(rahmenGesamt);
}

void Verzeichnis::ConnectReactions() {
  // Hidden folders: in the tree's context menu and on Ctrl+H, kept from one run to the next.
  hiddenAction = new QAction(QStringLiteral("Versteckte Ordner anzeigen"), this);
  hiddenAction->setCheckable(true);
  hiddenAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  hiddenAction->setChecked(ReadSetting(kViewSection, QStringLiteral("showhidden"), QStringLiteral("0")) ==
                           QStringLiteral("1"));
  pfadbaum->SetShowHidden(hiddenAction->isChecked());
  pfadbaum->setContextMenuPolicy(Qt::ActionsContextMenu);
  pfadbaum->addAction(hiddenAction);
  addAction(hiddenAction);
  connect(hiddenAction, &QAction::toggled, this, [this](bool show) {
    WriteSetting(kViewSection, QStringLiteral("showhidden"),
                 show ? QStringLiteral("1") : QStringLiteral("0"));
    pfadbaum->SetShowHidden(show);
    if (QTreeWidgetItem* node = pfadbaum->SelectedNode(); node != nullptr && !ended) {
      RefreshTree(FolderTree::NodePath(node));
    }
  });
  pfadbaum->SetFatalHandler([this](const QString& text) { Fatal(text); });
  connect(pfadbaum, &FolderTree::nodeChosen, this, &Verzeichnis::NodeChosen);
  connect(upAction, &QAction::triggered, this, &Verzeichnis::FolderUp);
  connect(dateiliste, &FileList::fileChosen, this, &Verzeichnis::FileChosen);
  connect(rahmenLinks, &FilterPanel::refreshRequested, this, &Verzeichnis::RefreshFileList);
  connect(rahmenLinks, &FilterPanel::namePatternsLeft, this, &Verzeichnis::NamePatternsLeft);
  connect(suchleiste, &MetadataSearchBar::filterChanged, exifliste, &MetadataList::SetFilter);
  connect(exifliste, &MetadataList::labelColumnFitted, this, &Verzeichnis::RunLayoutPass);
  connect(aufEinenBlick, &SummaryPanel::heightChanged, this, &Verzeichnis::ApplyLayout);
  connect(aufEinenBlick, &SummaryPanel::mapRequested, exifliste->MapAction(), &QAction::trigger);
  // Two files of the list side by side; a second file is selected with Ctrl and a click.
  compareAction = new QAction(QStringLiteral("Vergleichen"), this);
  compareAction->setEnabled(false);
  dateiliste->setContextMenuPolicy(Qt::ActionsContextMenu);
  dateiliste->addAction(compareAction);
  connect(dateiliste, &QTreeWidget::itemSelectionChanged, this,
          [this] { compareAction->setEnabled(dateiliste->selectedItems().size() == 2); });
  connect(compareAction, &QAction::triggered, this, &Verzeichnis::CompareSelected);
  auto* find = new QAction(this);
  find->setShortcut(QKeySequence::Find);
  addAction(find);
  connect(find, &QAction::triggered, this, [this] {
    suchleiste->Field()->setFocus();
    suchleiste->Field()->selectAll();
  });
  connect(rahmenRechts->Preview(), &PreviewBox::clicked, this, &Verzeichnis::ShowViewer);
  connect(dateiliste, &FileList::openRequested, this, &Verzeichnis::ShowViewer);
  connect(new MountWatcher(this), &MountWatcher::changed, this, &Verzeichnis::DrivesChanged);
  connect(vsplitter, &SplitterBar::dragged, this, [this](QPoint at) {
    const TwipsScale scale = TwipsScale::Of(this);
    DragVerticalSplitter(layout, state, scale.ToTwipsX(at.x()), scale.ToTwipsX(centralWidget()->width()));
    RunLayoutPass();
    FollowTreeWidth();
  });
  connect(hsplitter, &SplitterBar::dragged, this, [this](QPoint at) {
    DragHorizontalSplitter(layout, state, TwipsScale::Of(this).ToTwipsY(at.y()));
    RunLayoutPass();
  });
}

// The design geometry: every control at its place, the window at its design size.
void Verzeichnis::PlaceDesign() {
  const TwipsScale scale = TwipsScale::Of(this);
  pfadHoch->setGeometry(scale.ToPixels({90, 180, 375, 330}));
  pfadHoch->setIconSize(QSize(scale.ToPixelsX(240), scale.ToPixelsY(240)));
  label1->setGeometry(scale.ToPixels({555, 240, 915, 195}));
  basisverzeichnis->setGeometry(scale.ToPixels({1575, 240, 4755, 195}));
  // A face wider than the design's: the label grows and the path moves right just as far as needed.
  const QSize fits = label1->sizeHint().expandedTo(label1->size());
  label1->resize(fits);
  const int pathLeft = std::max(basisverzeichnis->x(), label1->geometry().right() + scale.ToPixelsX(60));
  basisverzeichnis->setGeometry(pathLeft, basisverzeichnis->y(),
                                basisverzeichnis->width() + basisverzeichnis->x() - pathLeft,
                                std::max(basisverzeichnis->height(), basisverzeichnis->sizeHint().height()));
  rahmenLinks->PlaceControls(scale);
  rahmenRechts->PlaceControls(scale);
  layout.gesamt = {0, 0, kDesignClientWidth, kDesignClientHeight};
  // The tag column holds five digits in the face actually used.
  const int digits = exifliste->fontMetrics().horizontalAdvance(QStringLiteral("000000")) +
                     2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, exifliste);
  layout.exifColumns[0] = std::max(layout.exifColumns[0], scale.ToTwipsX(digits));
  ApplyLayout();
  resize(scale.ToPixelsX(kDesignClientWidth),
         scale.ToPixelsY(kDesignClientHeight) + menuBar()->sizeHint().height());
}

LayoutMetrics Verzeichnis::Metrics() const {
  const TwipsScale scale = TwipsScale::Of(this);
  return {scale.ToTwipsX(style()->pixelMetric(QStyle::PM_ScrollBarExtent)),
          scale.ToTwipsX(style()->pixelMetric(QStyle::PM_DefaultFrameWidth))};
}

void Verzeichnis::RunLayoutPass() {
  const TwipsScale scale = TwipsScale::Of(this);
  for (int column = 0; column < 4; ++column) {
    layout.exifColumns[static_cast<std::size_t>(column)] = scale.ToTwipsX(exifliste->columnWidth(column));
  }
  layout.fileListHasColumn = dateiliste->HasNameColumn();
  LayoutPass(layout, state, scale.ToTwipsX(width()), scale.ToTwipsY(height()),
             scale.ToTwipsX(centralWidget()->width()), scale.ToTwipsY(centralWidget()->height()), Metrics(),
             isMinimized());
  ApplyLayout();
}

void Verzeichnis::ApplyLayout() {
  const TwipsScale scale = TwipsScale::Of(this);
  rahmenGesamt->setGeometry(scale.ToPixels(layout.gesamt));
  pfadbaum->setGeometry(scale.ToPixels(layout.tree));
  vsplitter->setGeometry(scale.ToPixels(layout.vsplitter));
  hsplitter->setGeometry(scale.ToPixels(layout.hsplitter));
  dateiliste->setGeometry(scale.ToPixels(layout.dateiliste));
  FollowListPlace();
  // With metadata columns the name keeps its own width (see FileList::ColumnSetting).
  if (layout.fileListHasColumn && dateiliste->Columns().empty())
    dateiliste->setColumnWidth(0, std::max(0, scale.ToPixelsX(layout.fileColumnWidth)));
  // The block "Auf einen Blick" (while it has lines) and the search bar take the top of the list's place.
  QRect listPlace = scale.ToPixels(layout.exifliste);
  const int blockHeight =
      aufEinenBlick->isHidden() ? 0 : std::min(aufEinenBlick->sizeHint().height(), listPlace.height() / 3);
  aufEinenBlick->setGeometry(listPlace.x(), listPlace.y(), listPlace.width(), blockHeight);
  listPlace.adjust(0, blockHeight, 0, 0);
  const int barHeight = std::min(suchleiste->sizeHint().height(), listPlace.height() / 2);
  suchleiste->setGeometry(listPlace.x(), listPlace.y(), listPlace.width(), barHeight);
  exifliste->setGeometry(listPlace.adjusted(0, barHeight, 0, 0));
  for (int column = 0; column < 4; ++column) {
    exifliste->setColumnWidth(
        column, std::max(0, scale.ToPixelsX(layout.exifColumns[static_cast<std::size_t>(column)])));
  }
  rahmenLinks->setGeometry(scale.ToPixels(layout.rahmenLinks));
  QLabel* status = rahmenLinks->StatusLabel();
  status->resize(std::max(0, scale.ToPixelsX(layout.auswahlInfoWidth)), status->height());
  rahmenRechts->setGeometry(scale.ToPixels(layout.rahmenRechts));
}

bool Verzeichnis::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize && exifliste != nullptr) RunLayoutPass();
  if (watched == pfadHoch && event->type() == QEvent::MouseButtonRelease) upAction->trigger();
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace kelmarin
