// Writes the bundled sample images into the folder given as the only argument: one file per
// supported format, JPEG files with EXIF blocks of six makers, GPS, IPTC, XMP and comments, and a
// PNG with text chunks. The output is the same, byte for byte, on every run.

#include <cstdio>
#include <filesystem>
#include <string>

#include "Cameras.h"
#include "FileWriters.h"

namespace {

using namespace kelmarin::samples;

constexpr int kWidth = 480, kHeight = 320;

struct CameraSample {
  Maker maker;
  const char* file;
  int variant;
};

constexpr CameraSample kCameras[] = {
    {Maker::kCanon, "canon-eos-5d-mark-ii.jpg", 0}, {Maker::kNikon, "nikon-d700.jpg", 1},
    {Maker::kOlympus, "olympus-c5050z.jpg", 2},     {Maker::kFujifilm, "fujifilm-x100s.jpg", 3},
    {Maker::kPentax, "pentax-k-5.jpg", 4},          {Maker::kPanasonic, "panasonic-dmc-gh2.jpg", 5},
};

std::vector<Segment> ExtraSegments(Maker maker) {
  std::vector<Segment> segments;
  if (maker == Maker::kCanon) {
    segments.push_back({0xED, IptcPayload({{0, std::string("\0\x04", 2)},
                                           {5, "Abend am Starnberger See"},
                                           {25, "Landschaft"},
                                           {25, "Sonnenuntergang"},
                                           {80, "Anna Berger"},
                                           {90, "Tutzing"},
                                           {101, "Deutschland"},
                                           {116, "(c) 2013 Anna Berger"},
                                           {120, "Die Sonne geht über den Hügeln unter."}})});
    segments.push_back(Comment("Aufgenommen mit Stativ"));
  }
  if (maker == Maker::kNikon) {
    segments.push_back(Comment("Erster Kommentar"));
    segments.push_back(Comment("Zweiter Kommentar"));
  }
  // Windows-1252 bytes, as older cameras and programs wrote them.
  if (maker == Maker::kOlympus)
    segments.push_back(
        Comment("Blick \xFC"
                "ber den See"));
  return segments;
}

bool WriteCameras(const std::string& folder) {
  bool ok = true;
  for (const CameraSample& c : kCameras) {
    const RgbImage image = Landscape(kWidth, kHeight, c.variant);
    const Bytes thumbnail = EncodeJpeg(Landscape(160, 107, c.variant), 75);
    std::vector<Segment> segments = {
        {0xE1, CameraExif(c.maker, SampleShot(c.maker, kWidth, kHeight), thumbnail)}};
    const std::vector<Segment> extra = ExtraSegments(c.maker);
    segments.insert(segments.end(), extra.begin(), extra.end());
    ok = WriteJpeg(folder + "/" + c.file, image, 90, segments) && ok;
  }
  return ok;
}

bool WriteXmpIptcComments(const std::string& folder) {
  const std::string xmp =
      std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
      "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
      "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description rdf:about=''"
      " xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:creator><rdf:Seq><rdf:li>Jonas Keller</rdf:li>"
      "</rdf:Seq></dc:creator></rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end='r'?>";
  const std::vector<Segment> segments = {
      {0xE1, Bytes(xmp.begin(), xmp.end())},
      {0xED, IptcPayload({{5, "Hügel im Abendlicht"}, {25, "Baum"}, {25, "Wald"}, {80, "Jonas Keller"}})},
      Comment("Kommentar eins"),
      Comment("Kommentar zwei"),
      Comment("Kommentar drei"),
  };
  return WriteJpeg(folder + "/xmp-iptc-comments.jpg", Landscape(kWidth, kHeight, 6), 85, segments);
}

bool WritePngWithTexts(const std::string& folder) {
  const std::vector<PngTextChunk> texts = {
      {PngTextKind::kText, "Title", "Abendstimmung", false},
      {PngTextKind::kText, "Author", "Jonas Keller", false},
      {PngTextKind::kCompressed, "Description", "Hügel, Sonne und Himmel, mit zlib gepackt", false},
      {PngTextKind::kInternational, "Comment", "Abendstimmung über dem Tal", false},
      {PngTextKind::kText, "Copyright", "(c) 2014 Jonas Keller", true},
  };
  return WritePng(folder + "/landscape-text.png", Landscape(kWidth, kHeight, 7), texts);
}

bool WriteFormats(const std::string& folder, bool& pcdWritten) {
  const RgbImage image = Landscape(kWidth, kHeight, 8);
  bool ok = WriteJpeg(folder + "/landscape.jpg", image, 90);
  ok = WriteMagick(folder + "/landscape.bmp", "BMP3", image) && ok;
  ok = WriteMagick(folder + "/landscape.gif", "GIF", image) && ok;
  ok = WriteMagick(folder + "/landscape.pcx", "PCX", image) && ok;
  ok = WriteMagick(folder + "/landscape.psd", "PSD", image) && ok;
  ok = WriteMagick(folder + "/landscape.tga", "TGA", image) && ok;
  ok = WriteTiff(folder + "/landscape.tif", image) && ok;
  ok = WriteDng(folder + "/landscape.dng", Landscape(240, 160, 9), "Kelmarin", "Linear DNG") && ok;
  ok = WriteBytes(folder + "/landscape.wmf", MakeWmf(kWidth, kHeight, "Kelmarin")) && ok;
  ok = WriteBytes(folder + "/landscape.emf", MakeEmf(kWidth, kHeight)) && ok;
  // Photo CD images have one fixed base size.
  pcdWritten = WriteMagick(folder + "/landscape.pcd", "PCD", Landscape(768, 512, 8));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelmarin-samples FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "kelmarin-samples: cannot create %s\n", folder.c_str());
    return 1;
  }
  bool pcdWritten = false;
  const bool ok = WriteCameras(folder) && WriteXmpIptcComments(folder) && WritePngWithTexts(folder) &&
                  WriteFormats(folder, pcdWritten);
  if (!pcdWritten) std::fprintf(stderr, "kelmarin-samples: Photo CD cannot be written here, skipped\n");
  if (!ok) std::fprintf(stderr, "kelmarin-samples: some samples could not be written\n");
  return ok ? 0 : 1;
}
