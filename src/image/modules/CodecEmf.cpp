// EMF pictures: turned into SVG by libemf2svg and drawn by Qt Svg on white (a codec module: Qt Svg
// is loaded with the first EMF file).
//
// libemf2svg is loaded at run time (SharedLibrary) and kept in its own symbol scope: its bundled libuemf
// and ImageMagick's libwmf export the same symbol names (wmf_free) and crash when linked into one
// program.

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <clocale>
#include <memory>
#include <cstring>
#include <mutex>
#include <vector>

#include "image/Backends.h"
#include "image/CNumbers.h"
#include "image/meta/SharedLibrary.h"
#include "image/modules/ModuleHost.h"

namespace kelmarin::codec {

namespace {

constexpr const char* kEmfLibrary = "libemf2svg.so.1";
constexpr std::size_t kMaxMetafileBytes = std::size_t{64} << 20;
// A metafile states its size in its own units; the drawing is kept within this many pixels a side.
constexpr int kMaxMetafileSide = 4096;

// The library's option record and entry point, as declared in emf2svg.h.
struct EmfOptions {
  char* nameSpace;
  bool verbose;
  bool emfplus;
  bool svgDelimiter;
  double imgHeight;
  double imgWidth;
};
using EmfToSvg = int (*)(char* contents, std::size_t length, char** out, std::size_t* outLength,
                         EmfOptions* options);

EmfToSvg LoadEmfToSvg() {
  SharedLibrary library = SharedLibrary::Open(kEmfLibrary, SharedLibrary::Binding::kNow);
  EmfToSvg function = nullptr;
  if (!library.Find("emf2svg", function)) return nullptr;
  library.Keep();  // for the life of the process
  return function;
}

EmfToSvg EmfFunction() {
  static std::once_flag once;
  static EmfToSvg function = nullptr;
  std::call_once(once, [] { function = LoadEmfToSvg(); });
  return function;
}

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// EMF: a header record (type 1) whose signature " EMF" stands at byte 40, and as many bytes as the
// header's size field (byte 48) promises: a truncated file is not drawn half.
bool IsCompleteEmf(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() >= 88 && Le32(bytes.data()) == 1 && std::memcmp(bytes.data() + 40, " EMF", 4) == 0 &&
         Le32(bytes.data() + 48) <= bytes.size();
}

Code SvgToPixels(const QByteArray& svg, RgbImage& pixels) {
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) return kCorrupt;
  QSizeF size = renderer.viewBoxF().size();
  if (size.isEmpty()) size = renderer.defaultSize();
  if (size.isEmpty() || !(size.width() < 1e7 && size.height() < 1e7)) return kCorrupt;
  const double scale = std::min(1.0, kMaxMetafileSide / std::max(size.width(), size.height()));
  const int width = std::max(1, static_cast<int>(size.width() * scale + 0.5));
  const int height = std::max(1, static_cast<int>(size.height() * scale + 0.5));
  QImage canvas(width, height, QImage::Format_RGB32);
  if (canvas.isNull()) return kNoMemory;
  canvas.fill(Qt::white);
  {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, width, height));
  }
  const QImage rgb = canvas.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) return kNoMemory;
  if (const Code code = AllocateRgb(width, height, pixels); code != kOk) return code;
  for (int y = 0; y < height; ++y) std::memcpy(pixels.scanLine(y), rgb.constScanLine(y), std::size_t{3} * width);
  return kOk;
}

// The GUI application the module made for a program without one (see AllowOwnApplication).
std::unique_ptr<QGuiApplication>& OwnApplication() {
  static std::unique_ptr<QGuiApplication> application;
  return application;
}

// Qt's own warnings (the application's set-up, the fonts) are no business of a program whose
// standard error carries its own lines.
void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// Makes a GUI application on the offscreen platform when the program has none and allows it.
void MakeApplicationIfAllowed() {
  if (QCoreApplication::instance() != nullptr || !OwnApplicationAllowed()) return;
  qInstallMessageHandler(QuietMessages);
  static int argc = 3;
  static char name[] = "kelmarin";
  static char option[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  OwnApplication() = std::make_unique<QGuiApplication>(argc, argv);
  // The application took over the user's locale for the C library; the imaging libraries read and
  // write their numbers (WMF drawing commands among them) in the C form.
  std::setlocale(LC_NUMERIC, "C");
}

Code EmfBytesToPixels(std::vector<std::uint8_t>& bytes, RgbImage& pixels) {
  const EmfToSvg convert = EmfFunction();
  if (convert == nullptr) return kNoLibrary;
  // Text in the drawing needs the fonts of a GUI application.
  MakeApplicationIfAllowed();
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return kNoLibrary;
  // No namespace prefix: plain SVG elements (the library would allocate the prefix and keep it).
  EmfOptions options{nullptr, false, true, true, 0.0, 0.0};
  char* svg = nullptr;
  std::size_t svgLength = 0;
  const CNumbers numbers;  // the SVG's coordinates are printed with the C library
  const int ok = convert(reinterpret_cast<char*>(bytes.data()), bytes.size(), &svg, &svgLength, &options);
  const QByteArray document =
      svg != nullptr ? QByteArray(svg, static_cast<qsizetype>(svgLength)) : QByteArray();
  std::free(svg);
  if (!ok || document.isEmpty()) return kCorrupt;
  return SvgToPixels(document, pixels);
}

}  // namespace

bool InitEmf() {
  return EmfFunction() != nullptr;
}

Code DecodeEmf(std::FILE* file, RgbImage& pixels) {
  pixels = RgbImage();
  std::vector<std::uint8_t> bytes;
  if (const Code code = ReadAll(file, kMaxMetafileBytes, bytes); code != kOk) return code;
  if (!IsCompleteEmf(bytes)) return kCorrupt;
  return EmfBytesToPixels(bytes, pixels);
}

}  // namespace kelmarin::codec

KELMARIN_CODEC_MODULE(
    .init = InitEmf,
    .decodeFile = [](std::FILE* file, int, RgbImage& pixels) { return DecodeEmf(file, pixels); },
    .finish = [] { OwnApplication().reset(); })
