#include "browser/MountWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

namespace kelmarin {

MountWatcher::MountWatcher(QObject* parent, const QString& mountTable)
    : QObject(parent), settle(new QTimer(this)) {
  settle->setSingleShot(true);
  settle->setInterval(300);
  connect(settle, &QTimer::timeout, this, &MountWatcher::changed);
  descriptor = ::open(QFile::encodeName(mountTable).constData(), O_RDONLY | O_CLOEXEC);
  if (descriptor >= 0) {
    TableSignalled();  // reading the table to its end arms the notification
    settle->stop();
    notifier = new QSocketNotifier(descriptor, QSocketNotifier::Exception, this);
    connect(notifier, &QSocketNotifier::activated, this, &MountWatcher::TableSignalled);
    return;
  }
  // No mount table to watch: new mount points appear in these folders.
  folders = new QFileSystemWatcher(this);
  const QString user = qEnvironmentVariable("USER");
  for (const QString& folder : {QStringLiteral("/media"), QStringLiteral("/media/") + user,
                                QStringLiteral("/run/media/") + user, QStringLiteral("/mnt")}) {
    if (QDir(folder).exists()) folders->addPath(folder);
  }
  connect(folders, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
}

MountWatcher::~MountWatcher() {
  delete notifier;
  if (descriptor >= 0) ::close(descriptor);
}

void MountWatcher::TableSignalled() {
  // The condition stays set until the table is read again from its start.
  char buffer[4096];
  ::lseek(descriptor, 0, SEEK_SET);
  while (::read(descriptor, buffer, sizeof buffer) > 0) {
  }
  settle->start();
}

}  // namespace kelmarin
