#include "browser/TreeIcons.h"

#include <QCoreApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace kelmarin {

namespace {

// Every icon is drawn on a 32 x 32 grid and scaled.
using Painter = void (*)(QPainter&);

const QColor kOutline(60, 60, 70);

void DriveBox(QPainter& p, const QRectF& box, const QColor& top, const QColor& bottom) {
  QLinearGradient fill(box.topLeft(), box.bottomLeft());
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.setPen(QPen(kOutline, 1.2));
  p.setBrush(fill);
  p.drawRoundedRect(box, 2.5, 2.5);
}

void Led(QPainter& p, const QPointF& at, const QColor& colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(at, 1.6, 1.6);
}

void Folder(QPainter& p, const QColor& light, const QColor& dark, bool open) {
  p.setPen(QPen(dark.darker(140), 1.2));
  p.setBrush(dark);
  QPainterPath back;
  back.moveTo(3, 8);
  back.lineTo(12, 8);
  back.lineTo(14, 11);
  back.lineTo(29, 11);
  back.lineTo(29, 26);
  back.lineTo(3, 26);
  back.closeSubpath();
  p.drawPath(back);
  QLinearGradient fill(0, 12, 0, 26);
  fill.setColorAt(0, light);
  fill.setColorAt(1, dark);
  p.setBrush(fill);
  if (open) {
    p.drawPolygon(QPolygonF({QPointF(7, 15), QPointF(31, 15), QPointF(27, 26), QPointF(3, 26)}));
  } else {
    p.drawRoundedRect(QRectF(3, 13, 26, 13), 1.5, 1.5);
  }
}

void Computer(QPainter& p) {
  p.setPen(QPen(kOutline, 1.2));
  p.setBrush(QColor(200, 200, 205));
  p.drawPolygon(QPolygonF({QPointF(12, 23), QPointF(20, 23), QPointF(22, 28), QPointF(10, 28)}));
  p.drawRoundedRect(QRectF(2.5, 4, 27, 19), 2, 2);
  QLinearGradient screen(0, 6, 0, 20);
  screen.setColorAt(0, QColor(110, 170, 240));
  screen.setColorAt(1, QColor(30, 80, 170));
  p.setBrush(screen);
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(5, 6.5, 22, 14));
}

void HardDisk(QPainter& p) {
  DriveBox(p, QRectF(3, 10, 26, 13), QColor(225, 225, 230), QColor(150, 150, 160));
  p.setPen(QPen(QColor(90, 90, 100), 1));
  p.drawLine(QPointF(6, 19), QPointF(19, 19));
  Led(p, QPointF(25, 19), QColor(40, 200, 60));
}

void Floppy(QPainter& p) {
  p.setPen(QPen(kOutline, 1.2));
  p.setBrush(QColor(50, 70, 140));
  p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(10, 4, 12, 8));
  p.setBrush(QColor(70, 90, 160));
  p.drawRect(QRectF(17, 5.5, 3, 5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 16, 16, 12));
}

void Removable(QPainter& p) {
  p.setPen(QPen(kOutline, 1.2));
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(22, 12.5, 7, 7));
  QLinearGradient body(0, 10, 0, 22);
  body.setColorAt(0, QColor(90, 140, 220));
  body.setColorAt(1, QColor(30, 70, 150));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(3, 10, 19.5, 12), 3, 3);
  Led(p, QPointF(7, 16), QColor(250, 200, 40));
}

void Optical(QPainter& p) {
  QRadialGradient disc(QPointF(16, 16), 13);
  disc.setColorAt(0.2, QColor(245, 245, 250));
  disc.setColorAt(0.6, QColor(190, 210, 235));
  disc.setColorAt(0.85, QColor(230, 200, 240));
  disc.setColorAt(1, QColor(170, 180, 200));
  p.setPen(QPen(kOutline, 1.2));
  p.setBrush(disc);
  p.drawEllipse(QPointF(16, 16), 13, 13);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(16, 16), 3.2, 3.2);
}

void RamDisk(QPainter& p) {
  p.setPen(QPen(QColor(20, 90, 40), 1.2));
  p.setBrush(QColor(40, 150, 70));
  p.drawRect(QRectF(2.5, 9, 27, 13));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 30, 35));
  for (int i = 0; i < 4; ++i) p.drawRect(QRectF(4.5 + i * 6.3, 11.5, 4.8, 6));
  p.setBrush(QColor(220, 180, 60));
  for (int i = 0; i < 8; ++i) p.drawRect(QRectF(4 + i * 3.2, 22, 1.8, 3));
}

void NetworkBase(QPainter& p) {
  DriveBox(p, QRectF(4, 4, 24, 12), QColor(225, 225, 230), QColor(150, 150, 160));
  Led(p, QPointF(23, 12), QColor(40, 200, 60));
  p.setPen(QPen(kOutline, 2));
  p.drawLine(QPointF(16, 16), QPointF(16, 24));
  p.drawLine(QPointF(5, 26), QPointF(27, 26));
  p.setBrush(QColor(90, 140, 220));
  p.setPen(QPen(kOutline, 1));
  p.drawRect(QRectF(13, 22.5, 6, 6));
}

void Network(QPainter& p) {
  NetworkBase(p);
}

void NetworkDisconnected(QPainter& p) {
  NetworkBase(p);
  p.setPen(QPen(QColor(210, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(20, 17), QPointF(29, 27));
  p.drawLine(QPointF(29, 17), QPointF(20, 27));
}

void Unknown(QPainter& p) {
  DriveBox(p, QRectF(3, 10, 26, 13), QColor(225, 225, 230), QColor(150, 150, 160));
  QFont font;
  font.setPixelSize(13);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(30, 80, 170));
  p.drawText(QRectF(3, 9, 26, 14), Qt::AlignCenter, QStringLiteral("?"));
}

void FolderClosed(QPainter& p) {
  Folder(p, QColor(255, 225, 120), QColor(230, 170, 40), false);
}
void FolderOpen(QPainter& p) {
  Folder(p, QColor(255, 235, 150), QColor(230, 170, 40), true);
}

void Info(QPainter& p) {
  QRadialGradient ball(QPointF(13, 11), 16);
  ball.setColorAt(0, QColor(110, 170, 240));
  ball.setColorAt(1, QColor(30, 80, 170));
  p.setPen(QPen(QColor(20, 50, 120), 1.2));
  p.setBrush(ball);
  p.drawEllipse(QPointF(16, 16), 13, 13);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(16, 9.5), 2.2, 2.2);
  p.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1, 1);
}

void FolderUpArrow(QPainter& p, const QColor& arrow) {
  p.setPen(QPen(arrow.darker(150), 1));
  p.setBrush(arrow);
  p.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(24, 12), QPointF(19.5, 12), QPointF(19.5, 21),
                           QPointF(12.5, 21), QPointF(12.5, 12), QPointF(8, 12)}));
}

void FolderUp(QPainter& p) {
  Folder(p, QColor(255, 225, 120), QColor(230, 170, 40), false);
  FolderUpArrow(p, QColor(50, 170, 60));
}

void FolderUpGrey(QPainter& p) {
  Folder(p, QColor(225, 225, 225), QColor(170, 170, 170), false);
  FolderUpArrow(p, QColor(140, 140, 140));
}

struct IconDef {
  const char16_t* key;
  Painter paint;
};

constexpr IconDef kIcons[] = {
    {u"DriveArbeitsplatz", &Computer},
    {u"DriveDiskette", &Floppy},
    {u"DriveWechselplatte", &Removable},
    {u"DriveFestplatte", &HardDisk},
    {u"DriveRamdisk", &RamDisk},
    {u"DriveVerzeichnis", &FolderClosed},
    {u"DriveVerzeichnisOffen", &FolderOpen},
    {u"DriveCD", &Optical},
    {u"DriveNetzlaufwerk", &Network},
    {u"DriveNetzlaufwerkGetrennt", &NetworkDisconnected},
    {u"AbbInfo", &Info},
    {u"DriveVerzeichnisHoch", &FolderUp},
    {u"DriveVerzeichnisHochGrau", &FolderUpGrey},
    {u"DriveUnbekannt", &Unknown},
};

QIcon Draw(Painter paint) {
  QIcon icon;
  for (int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    paint(painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

// Pixmaps must go before the application object does: the cache is dropped with it.
QHash<QString, QIcon>* cache = nullptr;
const QString kFolderNode = QStringLiteral("#folder-node");

QHash<QString, QIcon>& Cache() {
  if (cache == nullptr) {
    cache = new QHash<QString, QIcon>;
    for (const IconDef& def : kIcons) cache->insert(QString::fromUtf16(def.key), Draw(def.paint));
    QIcon folder;
    for (int size : {16, 24, 32, 48}) {
      folder.addPixmap(cache->value(QStringLiteral("DriveVerzeichnis")).pixmap(size), QIcon::Normal);
      folder.addPixmap(cache->value(QStringLiteral("DriveVerzeichnisOffen")).pixmap(size), QIcon::Selected);
    }
    cache->insert(kFolderNode, folder);
    qAddPostRoutine([] {
      delete cache;
      cache = nullptr;
    });
  }
  return *cache;
}

}  // namespace

QIcon TreeIcon(const QString& key) {
  const QHash<QString, QIcon>& icons = Cache();
  const auto found = icons.constFind(key);
  return found != icons.constEnd() && key != kFolderNode ? *found
                                                         : icons.value(QStringLiteral("DriveUnbekannt"));
}

QIcon FolderNodeIcon() {
  return Cache().value(kFolderNode);
}

}  // namespace kelmarin
