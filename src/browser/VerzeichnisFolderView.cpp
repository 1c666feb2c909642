// The folder by its metadata in the main window: the file list's metadata columns filled in the
// background, the thumbnail grid in the list's place ("Miniaturen"), the metadata filter and the
// status label that counts them.
#include <QAction>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QSet>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <numeric>
#include <vector>

#include "browser/CurrentImage.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderViewWork.h"
#include "browser/Settings.h"
#include "browser/ThumbnailGrid.h"
#include "browser/Verzeichnis.h"
#include "browser/core/FolderRecords.h"
#include "browser/core/Platform.h"
#include "extract/xmp/XmpSidecars.h"
#include "metadata/CacheFolder.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

const QString kFileColumns = QStringLiteral("filecolumns");  // "taken:120,camera:95" (pixels)
const QString kThumbnails = QStringLiteral("thumbnails");    // "1" shown, "0" the list
constexpr qint64 kStatusInterval = 100;                      // ms between progress texts

// The cache of one fill, shared by its workers. Its records are loaded on a thread of their own (a
// second for 20,000 files); until then the workers read their files themselves, so that the rows
// on screen do not wait for the load, and what they read is stored once it is done.
struct SharedCache {
  explicit SharedCache(std::filesystem::path directory) : cache(std::move(directory)) {}
  struct Read {
    std::string file;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    FolderRecord record;
  };
  enum LoadState : int { kNotLoaded, kLoading, kLoaded };
  std::atomic<int> loadState{kNotLoaded};
  std::mutex mutex;  // guards cache
  std::mutex pendingMutex;  // guards pending and the change to kLoaded
  std::vector<Read> pending;
  FolderRecordCache cache;

  // Loads the folder's records unless done before; returns when they are loaded.
  void LoadOnce(const std::string& folder) {
    const std::lock_guard lock(mutex);
    if (loadState != kNotLoaded) return;
    loadState = kLoading;
    cache.Load(folder);
    std::vector<Read> early;
    {
      const std::lock_guard pendingLock(pendingMutex);
      loadState = kLoaded;
      early.swap(pending);
    }
    for (Read& read : early) cache.Store(read.file, read.size, read.modified, read.record);
  }
};

// The cache's key of a file's time: the count of the file system clock, as std::filesystem gives it.
std::int64_t TimeKey(const EntryStatus& status) {
  using namespace std::chrono;
  const sys_time<nanoseconds> written{seconds(status.modifiedSeconds) + nanoseconds(status.modifiedNanoseconds)};
  return static_cast<std::int64_t>(file_clock::from_sys(written).time_since_epoch().count());
}

// The record readers of one fill, one per worker at a time: each keeps the metadata list's texts
// from one file to the next. The fill has a sidecar finder of its own, so that a later visit sees
// the sidecars written in between.
class ReaderPool {
 public:
  explicit ReaderPool(const Definitions& tables) : definitions(tables) {}

  FolderRecord Read(const std::filesystem::path& file) {
    std::unique_ptr<FolderRecordReader> reader;
    {
      const std::lock_guard lock(mutex);
      if (!idle.empty()) {
        reader = std::move(idle.back());
        idle.pop_back();
      }
    }
    if (!reader) reader = std::make_unique<FolderRecordReader>(definitions, &sidecars);
    FolderRecord record = reader->Read(file);
    const std::lock_guard lock(mutex);
    idle.push_back(std::move(reader));
    return record;
  }

 private:
  const Definitions& definitions;
  SidecarFinder sidecars;
  std::mutex mutex;  // guards idle
  std::vector<std::unique_ptr<FolderRecordReader>> idle;
};

FolderRecord CachedRecord(SharedCache& shared, const std::string& file,
                          const std::function<FolderRecord(const std::filesystem::path&)>& read) {
  const std::filesystem::path path(file);
  const EntryStatus status = FileStatus(file);  // one call for both parts of the key
  if (!status.exists) return read(path);  // gone or unreadable: the reader says what it can, nothing is kept
  const std::int64_t size = status.size;
  const std::int64_t modified = TimeKey(status);
  if (shared.loadState == SharedCache::kLoaded) {
    const std::lock_guard lock(shared.mutex);
    if (std::optional<FolderRecord> known = shared.cache.Find(file, size, modified)) return *known;
  }
  FolderRecord record = read(path);
  {
    const std::lock_guard pendingLock(shared.pendingMutex);
    if (shared.loadState != SharedCache::kLoaded) {
      shared.pending.push_back({file, size, modified, record});
      return record;
    }
  }
  const std::lock_guard lock(shared.mutex);
  shared.cache.Store(file, size, modified, record);
  return record;
}

}  // namespace

struct Verzeichnis::FolderView {
  explicit FolderView(QObject* context) : records(context) {}
  FolderViewWork<FolderRecord> records;
  QString listedStatus;  // what the listing said ("12 Bilder mit …")
  QElapsedTimer sinceStatus;
  QTimer storeWidths;
  QTimer preferVisible;
  // A file's load shows "Bild einlesen" and then puts back the text it found, which may be one of
  // ours from before the last batch: checked until the load is over.
  QTimer afterLoad;
  QSet<QString> ownTexts;  // the texts shown for this folder
  QString lastText;
};

void Verzeichnis::SetUpFolderView() {
  folderView = std::make_shared<FolderView>(this);
  miniaturen = new ThumbnailGrid(*dateiliste, dateiliste->parentWidget());
  miniaturen->hide();
  connect(miniaturen, &ThumbnailGrid::fileChosen, this, &Verzeichnis::FileChosen);
  connect(miniaturen, &ThumbnailGrid::openRequested, this, &Verzeichnis::ShowViewer);

  // In the context menus of the list and the grid, as the hidden folders are in the tree's, with
  // the columns beside it; the menu bar keeps its three entries.
  thumbnailAction = new QAction(QStringLiteral("Miniaturen"), this);
  thumbnailAction->setCheckable(true);
  thumbnailAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  addAction(thumbnailAction);
  auto* columns = new QAction(QStringLiteral("Spalten"), this);
  columns->setMenu(dateiliste->ColumnMenu());
  for (QWidget* view : {static_cast<QWidget*>(dateiliste), static_cast<QWidget*>(miniaturen)}) {
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    view->addAction(thumbnailAction);
  }
  dateiliste->addAction(columns);
  connect(thumbnailAction, &QAction::toggled, this, [this](bool shown) {
    WriteSetting(kViewSection, kThumbnails, shown ? QStringLiteral("1") : QStringLiteral("0"));
    ShowThumbnails(shown);
  });

  dateiliste->ApplyColumnSetting(ReadSetting(kViewSection, kFileColumns, QString()));
  thumbnailAction->setChecked(ReadSetting(kViewSection, kThumbnails, QStringLiteral("0")) ==
                              QStringLiteral("1"));
  connect(dateiliste, &FileList::columnsChosen, this, [this] {
    StoreFolderView();
    RunLayoutPass();  // the name's width follows the list again once the columns are gone
    if (dateiliste->NeedsRecords() && !folderView->records.Running() &&
        dateiliste->FilledCount() < dateiliste->Records().size()) {
      FillRecords();
    }
  });
  folderView->storeWidths.setSingleShot(true);
  folderView->storeWidths.setInterval(500);
  connect(&folderView->storeWidths, &QTimer::timeout, this, &Verzeichnis::StoreFolderView);
  // In the timer's name: the header also reports while the window is being taken down, after the
  // window's own part is gone and with it the timer.
  connect(dateiliste->header(), &QHeaderView::sectionResized, &folderView->storeWidths, [this] {
    if (!dateiliste->Columns().empty()) folderView->storeWidths.start();
  });
  folderView->afterLoad.setInterval(50);
  connect(&folderView->afterLoad, &QTimer::timeout, this, [this] {
    const QString shown = rahmenLinks->StatusText();
    if (shown == QStringLiteral("Bild einlesen")) return;
    folderView->afterLoad.stop();
    if (shown != folderView->lastText && folderView->ownTexts.contains(shown)) ShowFolderStatus(true);
  });
  // The rows scrolled into view are read next.
  folderView->preferVisible.setSingleShot(true);
  folderView->preferVisible.setInterval(0);
  connect(&folderView->preferVisible, &QTimer::timeout, this,
          [this] { folderView->records.Prefer(dateiliste->VisibleEntries()); });
  connect(dateiliste->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
    if (folderView->records.Running()) folderView->preferVisible.start();
  });
  connect(rahmenLinks, &FilterPanel::metadataFilterChanged, this, [this] {
    dateiliste->SetMetadataFilter(rahmenLinks->MetadataFilter());
    miniaturen->FollowHiddenRows();
    if (dateiliste->NeedsRecords() && !folderView->records.Running() &&
        dateiliste->FilledCount() < dateiliste->Records().size()) {
      FillRecords();
    }
    ShowFolderStatus(true);
    folderView->afterLoad.start();
  });
}

bool Verzeichnis::FillingRecords() const {
  return folderView->records.Running();
}

void Verzeichnis::StoreFolderView() {
  WriteSetting(kViewSection, kFileColumns, dateiliste->ColumnSetting());
}

void Verzeichnis::FollowListPlace() {
  if (miniaturen != nullptr) miniaturen->setGeometry(dateiliste->geometry());
}

void Verzeichnis::ShowThumbnails(bool shown) {
  FollowListPlace();
  miniaturen->setVisible(shown);
  dateiliste->setVisible(!shown);
  if (shown) {
    miniaturen->FollowHiddenRows();
    if (QTreeWidgetItem* item = dateiliste->currentItem())
      miniaturen->scrollTo(dateiliste->indexFromItem(item));
  } else if (QTreeWidgetItem* item = dateiliste->currentItem()) {
    dateiliste->scrollToItem(item);
  }
}

void Verzeichnis::FolderListed() {
  folderView->records.Cancel();
  folderView->listedStatus = rahmenLinks->StatusText();
  folderView->ownTexts.clear();
  miniaturen->SetFolder(current->currentFolder);
  if (dateiliste->NeedsRecords() && !dateiliste->Entries().empty()) FillRecords();
  ShowFolderStatus(true);
}

// Every file's record on all cores, the rows on screen first; the cache answers for files it knows.
void Verzeichnis::FillRecords() {
  if (definitions == nullptr) return;
  const std::vector<FileEntry>& entries = dateiliste->Entries();
  auto files = std::make_shared<std::vector<std::string>>();
  files->reserve(entries.size());
  for (const FileEntry& entry : entries)
    files->push_back(current->currentFolder + "/" + entry.name + "." + entry.extension);
  std::vector<std::size_t> order = dateiliste->VisibleEntries();
  order.resize(order.size() + entries.size());
  std::iota(order.end() - static_cast<std::ptrdiff_t>(entries.size()), order.end(), std::size_t{0});
  std::function<FolderRecord(const std::filesystem::path&)> read = options.readRecord;
  if (!read) {
    // The definitions live as long as the window, which waits for its work.
    auto readers = std::make_shared<ReaderPool>(*definitions);
    read = [readers](const std::filesystem::path& file) { return readers->Read(file); };
  }
  auto cache = std::make_shared<SharedCache>(
      options.recordCache.empty() ? CacheFolder() : options.recordCache);
  const std::string folder = current->currentFolder;
  QThreadPool::globalInstance()->start([cache, folder] { cache->LoadOnce(folder); });
  folderView->sinceStatus.start();
  folderView->records.Start(
      files->size(), std::move(order),
      [files, cache, read](std::size_t index) {
        return CachedRecord(*cache, (*files)[index], read);
      },
      [this](FolderViewWork<FolderRecord>::Batch& batch) {
        dateiliste->SetRecords(batch);
        // The grid follows the filter when it is shown (every row is looked at).
        if (dateiliste->Filtered() && !miniaturen->isHidden()) miniaturen->FollowHiddenRows();
        ShowFolderStatus(false);
      },
      [this, cache, folder] {
        ShowFolderStatus(true);
        folderView->afterLoad.start();
        QThreadPool::globalInstance()->start([cache, folder] {
          cache->LoadOnce(folder);  // the records read before the load are kept with it
          const std::lock_guard lock(cache->mutex);
          cache->cache.Save();
        });
      });
}

// "Metadaten: 1.234 von 20.000" while the records come in, at most every 100 ms; then how many
// files the filter shows ("12 von 340 Dateien"), or what the listing said.
void Verzeichnis::ShowFolderStatus(bool now) {
  if (!now && folderView->sinceStatus.isValid() && folderView->sinceStatus.elapsed() < kStatusInterval)
    return;
  folderView->sinceStatus.start();
  const QLocale locale;
  QString text = folderView->listedStatus;
  StatusTone tone = StatusTone::Done;
  const auto total = static_cast<std::int64_t>(dateiliste->Entries().size());
  if (folderView->records.Running()) {
    text = QStringLiteral("Metadaten: %1 von %2")
               .arg(GroupedNumber(locale, static_cast<std::int64_t>(dateiliste->FilledCount())),
                    GroupedNumber(locale, total));
    tone = StatusTone::Busy;
  } else if (dateiliste->Filtered()) {
    text = QStringLiteral("%1 von %2 Dateien")
               .arg(GroupedNumber(locale, static_cast<std::int64_t>(dateiliste->ShownCount())),
                    GroupedNumber(locale, total));
  }
  folderView->ownTexts.insert(text);
  folderView->lastText = text;
  rahmenLinks->SetStatus(text, tone);
}

}  // namespace kelmarin
