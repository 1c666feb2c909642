// Small files whose headers or chunks claim far more than they hold: a text chunk of 2 GB, texts
// and image data that inflate to a gigabyte, and sizes of 16000 × 16000 pixels in the header of every
// format the codec layer decodes. Each file is read in a child process of this test under limits of
// its own (address space: what the child has at the start plus 384 MB; one second of processor time
// beyond its start-up), by load, GetImageDims and the metadata-only path. A reader that believes the
// claim runs out of one of them: the child dies or reports the wrong error.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <QCoreApplication>
#include <QProcess>
#include <fstream>
#include <map>

#include "ImageTestSupport.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& bytes, std::size_t at, std::uint32_t value, int size, bool bigEndian) {
  for (int i = 0; i < size; ++i)
    bytes[at + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(value >> (8 * (bigEndian ? size - 1 - i : i)));
}

Bytes Chunk(const char* type, const Bytes& data, std::uint32_t claimed = 0) {
  Bytes chunk(4, 0);
  Put(chunk, 0, claimed != 0 ? claimed : static_cast<std::uint32_t>(data.size()), 4, true);
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  const auto crc =
      static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4)));
  chunk.resize(chunk.size() + 4);
  Put(chunk, chunk.size() - 4, crc, 4, true);
  return chunk;
}

// A zlib stream of zeros that inflates to `megabytes` MB: one flushed block repeated (its checksum
// is wrong; no reader may get that far).
Bytes Inflating(int megabytes) {
  z_stream z{};
  deflateInit(&z, 9);
  const Bytes zeros(1 << 20, 0);
  Bytes first(1 << 16), block(1 << 16), out;
  for (Bytes* part : {&first, &block}) {
    z.next_in = const_cast<Bytef*>(zeros.data()), z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = part->data(), z.avail_out = static_cast<uInt>(part->size());
    deflate(&z, Z_FULL_FLUSH);
    part->resize(part->size() - z.avail_out);
  }
  deflateEnd(&z);
  out = first;
  for (int i = 1; i < megabytes; ++i) out.insert(out.end(), block.begin(), block.end());
  return out;
}

// An 8-bit RGB PNG header, one IDAT chunk and `extra` chunks before IEND.
Bytes Png(std::uint32_t width, std::uint32_t height, const Bytes& idat, const Bytes& extra = {}) {
  Bytes header(13, 0);
  Put(header, 0, width, 4, true), Put(header, 4, height, 4, true);
  header[8] = 8, header[9] = 2;
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Bytes& part : {Chunk("IHDR", header), Chunk("IDAT", idat), extra, Chunk("IEND", {})})
    png.insert(png.end(), part.begin(), part.end());
  return png;
}

Bytes Text(const char* type, Bytes head, const Bytes& body) {
  head.insert(head.end(), body.begin(), body.end());
  return Chunk(type, head);
}

// A 16 × 16 file of `format` written by the sample writers, with its size fields set to 16000 (PCX
// stores the last column and row).
Bytes Claiming16000(const ScratchFolder& folder, const std::string& format) {
  const std::string path = folder.Path("source." + format);
  WriteImageFile(path, format, samples::Landscape(16, 16));
  Bytes b = ReadFileBytes(path);
  std::size_t at = 0;  // the two sides, `size` bytes each (both get the same value)
  int size = 2;
  bool bigEndian = false;
  if (format == "jpg") {
    while (at + 9 < b.size() && !(b[at] == 0xFF && (b[at + 1] == 0xC0 || b[at + 1] == 0xC2))) ++at;
    at += 5, bigEndian = true;
  } else if (format == "tif") {  // little-endian; the first directory's width and length entries
    const std::size_t ifd = b[4] | b[5] << 8;
    for (std::size_t e = ifd + 2; e < ifd + 2 + 12 * (b[ifd] | b[ifd + 1] << 8); e += 12)
      if (b[e + 1] == 1 && b[e] <= 1) Put(b, e + 8, 16000, b[e + 2] == 3 ? 2 : 4, false);
    return b;
  } else {
    const std::map<std::string, std::tuple<std::size_t, int, bool>> fields = {{"gif", {6, 2, false}},
                                                                              {"bmp", {18, 4, false}},
                                                                              {"pcx", {8, 2, false}},
                                                                              {"tga", {12, 2, false}},
                                                                              {"psd", {14, 4, true}}};
    std::tie(at, size, bigEndian) = fields.at(format);
  }
  const std::uint32_t value = format == "pcx" ? 15999 : 16000;
  Put(b, at, value, size, bigEndian), Put(b, at + static_cast<std::size_t>(size), value, size, bigEndian);
  return b;
}

struct Hostile {
  std::string name;
  std::int32_t type;
  Bytes bytes;
  std::int32_t load;  // the error number load reports, 0 when the picture loads
};

std::vector<Hostile> Cases(const ScratchFolder& folder) {
  const Bytes rows = [] {
    Bytes raw(64 * (1 + 64 * 3), 0);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    return packed;
  }();
  const Bytes gigabyte = Inflating(1024);
  std::vector<Hostile> cases = {
      {"png-2gb-text", kTypePng, Png(64, 64, rows, Chunk("tEXt", {'a', 0, 'b'}, 0x79000025u)), 0},
      {"png-ztxt-gigabyte", kTypePng,
       Png(64, 64, rows, Text("zTXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0}, gigabyte)), 0},
      {"png-itxt-gigabyte", kTypePng,
       Png(64, 64, rows, Text("iTXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 1, 0, 0, 0}, gigabyte)), 0},
      {"png-idat-bomb", kTypePng, Png(64, 64, gigabyte), 1003},
      {"png-huge", kTypePng, Png(16000, 16000, rows), 1003},
  };
  for (const auto& [format, type] : std::vector<std::pair<std::string, std::int32_t>>{{"jpg", kTypeJpeg},
                                                                                      {"gif", kTypeGif},
                                                                                      {"tif", kTypeTiff},
                                                                                      {"bmp", kTypeBmp},
                                                                                      {"pcx", kTypePcx},
                                                                                      {"tga", kTypeTga},
                                                                                      {"psd", kTypePsd}}) {
    cases.push_back({format + "-huge", type, Claiming16000(folder, format), 1003});
  }
  return cases;
}

std::uint64_t AddressSpace() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
  }
  return 0;
}

// The child's part: one file, given by the parent in the environment.
TEST(HostileSizes, OneFileWithinLimits) {
  const QByteArray path = qgetenv("KELMARIN_HOSTILE_FILE");
  if (path.isEmpty()) GTEST_SKIP() << "run by HostileSizes.EveryFileWithinLimits";
  const std::int32_t type = qEnvironmentVariableIntValue("KELMARIN_HOSTILE_TYPE");
  const rlimit memory{AddressSpace() + (std::uint64_t{384} << 20),
                      AddressSpace() + (std::uint64_t{384} << 20)};
  rusage used{};
  getrusage(RUSAGE_SELF, &used);
  const rlimit cpu{static_cast<rlim_t>(used.ru_utime.tv_sec + used.ru_stime.tv_sec + 2), RLIM_INFINITY};
  ASSERT_EQ(setrlimit(RLIMIT_AS, &memory), 0);
  ASSERT_EQ(setrlimit(RLIMIT_CPU, &cpu), 0);
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = 0;
  image.load(path.toStdString(), type, b, h, t);
  const std::string expected = qgetenv("KELMARIN_HOSTILE_LOAD").toStdString();
  EXPECT_EQ(reporter.messages.empty() ? "0" : reporter.messages[0].text.substr(7, 4), expected);
  std::int32_t dimsType = type;
  image.GetImageDims(path.toStdString(), dimsType, b, h);
  if (type == kTypeJpeg || type == kTypePng) {
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path.toStdString(), type);
    EXPECT_FALSE(read.error) << *read.error;
  }
}

TEST(HostileSizes, EveryFileWithinLimits) {
  ScratchFolder folder;
  for (const Hostile& hostile : Cases(folder)) {
    SCOPED_TRACE(hostile.name);
    const std::string path = folder.Path(hostile.name);
    WriteFileBytes(path, hostile.bytes);
    EXPECT_LT(hostile.bytes.size(), std::size_t{2} << 20);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KELMARIN_HOSTILE_FILE"), QString::fromStdString(path));
    environment.insert(QStringLiteral("KELMARIN_HOSTILE_TYPE"), QString::number(hostile.type));
    environment.insert(QStringLiteral("KELMARIN_HOSTILE_LOAD"), QString::number(hostile.load));
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));  // no reserved arenas
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=HostileSizes.OneFileWithinLimits")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  }
}

}  // namespace
}  // namespace kelmarin::test
