// kelmarin-exif-image: the full image layer for kelmarin-exif, loaded at run time (see
// ../ImageModule.h). Only the five extern "C" functions are exported.

#include "../ImageModule.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <clocale>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <type_traits>

#include "image/Codec.h"
#include "image/ZetImage.h"
#include "metadata/Reporter.h"
#include "present/InfoLabels.h"
#include "present/qt/QtTextLocale.h"

#ifdef _WIN32
#define KELMARIN_EXPORT extern "C" __declspec(dllexport)
#else
#define KELMARIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace kelmarin::lister {

namespace {

// Error numbers for failures outside the codec layer: memory (codec code 4) and anything else
// unexpected (code 0).
constexpr std::int32_t kNoMemoryNumber = 1004;
constexpr std::int32_t kUnexpectedNumber = 1000;

// Keeps the error number of the load's message ("Fehler N\nReadImgage: path") instead of showing it.
class NumberReporter : public Reporter {
 public:
  void Report(const Message& message) override {
    const std::string prefix = "Fehler ";
    number = kUnexpectedNumber;
    if (message.text.compare(0, prefix.size(), prefix) != 0) return;
    std::int32_t value = 0;
    bool digits = false;
    for (std::size_t i = prefix.size();
         i < message.text.size() && message.text[i] >= '0' && message.text[i] <= '9' && value < 100'000'000;
         ++i) {
      value = value * 10 + (message.text[i] - '0');
      digits = true;
    }
    if (digits) number = value;
  }
  std::int32_t number = kUnexpectedNumber;
};

// EMF pictures are drawn with the fonts of a GUI application (see the codec layer); the program has
// none, so the module makes one on the offscreen platform the first time an EMF file comes.
std::unique_ptr<QGuiApplication>& GuiApplication() {
  static std::unique_ptr<QGuiApplication> application;
  return application;
}

// Qt's own warnings (the GUI application's set-up, image plug-ins) are no business of a lister
// whose standard error carries its "Fehler" lines: the module keeps them quiet.
void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void PrepareFor(const std::string& path, std::int32_t type) {
  static const bool quiet = (qInstallMessageHandler(QuietMessages), true);
  (void)quiet;
  if (type != kTypeMetafile && type != kTypeUnknown) return;
  if (QCoreApplication::instance() != nullptr) return;
  if (codec::GuessFileType(path) != codec::kGuessEmf) return;
  static int argc = 3;
  static char name[] = "kelmarin-exif";
  static char option[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  GuiApplication() = std::make_unique<QGuiApplication>(argc, argv);
  // The application took over the user's locale for the C library; the imaging libraries read and
  // write their numbers (WMF drawing commands among them) in the C form.
  std::setlocale(LC_NUMERIC, "C");
}

std::int32_t Dimensions(const std::string& path, std::int32_t type) {
  PrepareFor(path, type);
  ZetImage image;
  std::int32_t width = 0, height = 0;
  const auto failure = image.GetImageDims(path, type, width, height);
  return failure ? failure->number : 0;
}

std::int32_t Info(const std::string& path, std::int32_t type, const Definitions& definitions,
                  const TextLocale& locale, InfoLabels& labels) {
  PrepareFor(path, type);
  NumberReporter reporter;
  ZetImage image(&definitions, &reporter);
  std::int32_t width = 0, height = 0, loadTime = 0;
  if (image.load(path, type, width, height, loadTime) != 0) return reporter.number;
  const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(path)));
  labels = MakeInfoLabels(locale, file.completeBaseName().toStdString(), file.suffix().toStdString(),
                          MomentOf(file.lastModified()), file.size(), width, height, loadTime);
  return 0;
}

template <typename Work>
std::int32_t Guarded(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return kNoMemoryNumber;
  } catch (const std::exception&) {
    return kUnexpectedNumber;
  }
}

}  // namespace

}  // namespace kelmarin::lister

KELMARIN_EXPORT const char* kelmarin_exif_image_interface() {
  return KELMARIN_IMAGE_MODULE_INTERFACE;
}

KELMARIN_EXPORT std::int32_t kelmarin_exif_image_dimensions(const std::string& path, std::int32_t type) {
  return kelmarin::lister::Guarded([&] { return kelmarin::lister::Dimensions(path, type); });
}

KELMARIN_EXPORT std::int32_t kelmarin_exif_image_info(const std::string& path, std::int32_t type,
                                                      const kelmarin::Definitions& definitions,
                                                      const kelmarin::TextLocale& locale,
                                                      kelmarin::InfoLabels& labels) {
  return kelmarin::lister::Guarded(
      [&] { return kelmarin::lister::Info(path, type, definitions, locale, labels); });
}

KELMARIN_EXPORT void kelmarin_exif_image_locale(kelmarin::TextLocale& locale) {
  locale = kelmarin::TextLocaleOf(QLocale::system());
}

KELMARIN_EXPORT void kelmarin_exif_image_finish() {
  kelmarin::lister::GuiApplication().reset();
}

static_assert(
    std::is_same_v<decltype(&kelmarin_exif_image_interface), kelmarin::lister::ImageModuleInterfaceFunction>);
static_assert(std::is_same_v<decltype(&kelmarin_exif_image_dimensions),
                             kelmarin::lister::ImageModuleDimensionsFunction>);
static_assert(std::is_same_v<decltype(&kelmarin_exif_image_info), kelmarin::lister::ImageModuleInfoFunction>);
static_assert(
    std::is_same_v<decltype(&kelmarin_exif_image_finish), kelmarin::lister::ImageModuleFinishFunction>);
static_assert(
    std::is_same_v<decltype(&kelmarin_exif_image_locale), kelmarin::lister::ImageModuleLocaleFunction>);
