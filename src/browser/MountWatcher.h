#pragma once
// Tells when a file system was mounted or unmounted while the program runs (a medium inserted or
// removed, a share connected). Linux marks /proc/self/mounts with an exceptional condition (POLLPRI) on
// every change; where that file cannot be opened, the folders media are mounted in are watched instead.
// Bursts of changes (a disk with several partitions) are reported once.

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;

namespace kelmarin {

class MountWatcher : public QObject {
  Q_OBJECT

 public:
  explicit MountWatcher(QObject* parent = nullptr,
                        const QString& mountTable = QStringLiteral("/proc/self/mounts"));
  ~MountWatcher() override;

 signals:
  void changed();

 private:
  void TableSignalled();

  int descriptor = -1;
  QSocketNotifier* notifier = nullptr;
  QFileSystemWatcher* folders = nullptr;
  QTimer* settle;
};

}  // namespace kelmarin
