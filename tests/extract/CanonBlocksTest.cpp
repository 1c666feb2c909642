// Canon's per-body camera information, versioned colour data and autofocus records: each case
// gives the stored values at their places and the items they become, in both byte orders, and
// blocks too short for their layout or of a body or form without one.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "MakernoteItems.h"
#include "MakernoteSamples.h"
#include "extract/CanonBlocks.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using test::CanonApp1;

constexpr std::uint32_t kId450D = 0x80000176;
constexpr std::uint32_t kId1000D = 0x80000254;
constexpr ByteOrder kOrders[] = {ByteOrder::LittleEndian, ByteOrder::BigEndian};

// Bytes written at chosen places, numbers in the given order.
struct Writer {
  ByteOrder order;
  std::vector<std::uint8_t> bytes;
  void Put(std::size_t at, std::uint32_t value, int width, bool reversed = false) {
    const bool big = (order == ByteOrder::BigEndian) != reversed;
    if (bytes.size() < at + width) bytes.resize(at + width);
    for (int i = 0; i < width; ++i)
      bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (big ? width - 1 - i : i)));
  }
  void Text(std::size_t at, const std::string& text) {
    if (bytes.size() < at + text.size() + 1) bytes.resize(at + text.size() + 1);
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }
};

Writer Words(ByteOrder order, std::size_t count, std::uint32_t (*word)(std::size_t)) {
  Writer w{order, {}};
  for (std::size_t i = 0; i < count; ++i) w.Put(2 * i, word(i), 2);
  return w;
}

// The items of a block, the one value of its tag in a Canon body's makernote.
std::string Read(ByteOrder order, const std::string& model, std::uint32_t modelId, std::uint16_t tag,
                 std::uint16_t type, const std::vector<std::uint8_t>& bytes) {
  ImageMetadata image;
  ReadExifBlock(image, CanonApp1(order, model, modelId, {{tag, type, bytes}}), nullptr);
  return test::MakernoteItems(image, tag);
}

// A camera information block with a distinct value at each place of the body's layout: bytes
// 3..6 and 0x15..0x30, the big-endian 16-bit values, the white balance and colour temperature, the
// folder and file numbers, the texts, and in the picture-style block a contrast, a filter effect
// of "not applicable" and a user style's base.
Writer CameraInfo(ByteOrder order, bool is1000D) {
  const std::size_t shift = is1000D ? 4 : 0;
  Writer w{order, {}};
  w.Put(0x03, 43, 1), w.Put(0x04, 136, 1), w.Put(0x06, 72, 1), w.Put(0x15, 6, 1), w.Put(0x18, 152, 1);
  w.Put(0x1D, 300, 2, true), w.Put(0x30, 1, 1), w.Put(0x43, 484, 2, true), w.Put(0x45, 446, 2, true);
  w.Put(0x6F, 9, 2), w.Put(0x73, 5200, 2), w.Put(0xDE + shift, 224, 2, true);
  if (is1000D) w.Put(0xE4, 18, 2, true), w.Put(0xE6, 55, 2, true);
  w.Text(0x107 + shift, "1.0.4");
  if (!is1000D) w.Text(0x10F, "Anna");
  w.Put(0x133 + shift, 100, 4), w.Put(0x13F + shift, 70000, 4);
  const std::size_t styles = 0x263 + shift;
  w.Put(styles + 4 * (6 * 1 + 0), static_cast<std::uint32_t>(-2), 4);  // portrait contrast
  w.Put(styles + 4 * (6 * 5 + 4), 0xDEADBEEF, 4);                      // monochrome filter
  w.Put(styles + 0xD8 + 2, 0x83, 2);                                     // user 2's base
  w.Text(0x933 + shift, "EF-S18-55mm");
  w.bytes.resize(0x933 + shift + 64);
  return w;
}

TEST(CanonBlocks, CameraInfoPerBody) {
  const std::string common = "1=43 2=136 3=72 4=6 5=152 6=300 7=1 8=484 9=446 10=9 11=5200 12=224 ";
  const std::string styles = " 256=0 257=0 258=0 259=0 260=0 261=0 264=-2 ";
  for (const ByteOrder order : kOrders) {
    const std::string shown450 = Read(order, "Canon EOS 450D", kId450D, 0x000D, 7, CameraInfo(order, false).bytes);
    EXPECT_TRUE(shown450.starts_with(common + "15='1.0.4' 16='Anna' 17=100 18=70000 19='EF-S18-55mm'" + styles))
        << shown450;
    EXPECT_NE(shown450.find(" 300=-559038737 "), std::string::npos) << shown450;
    EXPECT_NE(shown450.find(" 385=0 386=131 387=0"), std::string::npos) << shown450;
    const std::string shown1000 = Read(order, "Canon EOS 1000D", kId1000D, 0x000D, 7, CameraInfo(order, true).bytes);
    EXPECT_TRUE(shown1000.starts_with(common + "13=18 14=55 15='1.0.4' 17=100 18=70000 19='EF-S18-55mm'" + styles))
        << shown1000;
    EXPECT_NE(shown1000.find(" 386=131 "), std::string::npos) << shown1000;

    // Cut before the lens name: the picture styles and the lens are left out, the rest stays.
    Writer cut = CameraInfo(order, false);
    cut.bytes.resize(0x140);
    EXPECT_EQ(Read(order, "Canon EOS 450D", kId450D, 0x000D, 7, cut.bytes),
              common + "15='1.0.4' 16='Anna' 17=100");
    // The compact bodies' 32-bit list: the temperature's place follows from the list's length.
    for (const auto& [count, index, shown] : {std::tuple<std::size_t, std::size_t, const char*>{104, 100, "20=-5"},
                                              {500, 497, "20=-5"}, {93, 91, "20=-5"}, {50, 47, ""}}) {
      Writer list{order, {}};
      list.Put(4 * (count - 1), 0, 4);
      list.Put(4 * index, static_cast<std::uint32_t>(-5), 4);
      EXPECT_EQ(Read(order, "Canon PowerShot SD600", 1, 0x000D, 4, list.bytes), shown) << count;
    }
    // A body without a layout.
    EXPECT_EQ(Read(order, "Canon EOS 7D", 0x80000250, 0x000D, 7, CameraInfo(order, false).bytes), "");
  }
}

TEST(CanonBlocks, CameraInfoOfTheLaterPlaces) {
  const std::string unset = "1=0 2=0 3=0 4=0 ";
  for (const ByteOrder order : kOrders) {
    Writer eos40{order, {}};
    eos40.Put(0xD6, 224, 2, true), eos40.Put(0xD8, 17, 2, true), eos40.Put(0xDA, 85, 2, true);
    eos40.Text(0xFF, "1.1.1"), eos40.Put(0x133, 41, 4), eos40.Put(0x13F, 101, 4), eos40.Text(0x92B, "EF50");
    eos40.Put(0x25B + 24, static_cast<std::uint32_t>(-3), 4);
    eos40.bytes.resize(0x92B + 64);
    const std::string shown40 = Read(order, "Canon EOS 40D", 0x80000190, 0x000D, 7, eos40.bytes);
    EXPECT_TRUE(shown40.starts_with(unset + "5=0 6=0 7=0 8=0 9=0 10=0 11=0 12=224 13=17 14=85 15='1.1.1' 18=41 21=101 "
                                            "19='EF50' 256=0 257=0 258=0 259=0 260=0 261=0 264=-3 "))
        << shown40;
    Writer eos550{order, {}};
    eos550.Put(0x19, 150, 1), eos550.Put(0x1E, 250, 2, true), eos550.Put(0x35, 2, 1), eos550.Put(0x54, 300, 2, true);
    eos550.Put(0x56, 200, 2, true), eos550.Put(0x78, 5, 2), eos550.Put(0x7C, 6000, 2), eos550.Put(0xFF, 254, 2, true);
    eos550.Put(0x101, 18, 2, true), eos550.Put(0x103, 135, 2, true), eos550.Text(0x1A4, "1.0.9");
    eos550.Put(0x1E4, 7, 4), eos550.Put(0x1F0, 102, 4), eos550.Put(0x31C + 24, static_cast<std::uint32_t>(-1), 4);
    eos550.bytes.resize(0x31C + 0xE0);
    const std::string shown550 = Read(order, "Canon EOS 550D", 0x80000270, 0x000D, 7, eos550.bytes);
    EXPECT_TRUE(shown550.starts_with(unset + "5=150 6=250 7=2 8=300 9=200 10=5 11=6000 12=254 13=18 14=135 "
                                             "15='1.0.9' 18=7 21=102 256=0 257=0 258=0 259=0 260=0 261=0 264=-1 "))
        << shown550;
  }
}

TEST(CanonBlocks, ColorDataByLengthAndVersion) {
  // Each word its own number, but for a negative level and a temperature above 32767.
  const auto word = [](std::size_t i) -> std::uint32_t {
    if (i == 0) return 5;
    if (i == 0x4C || i == 0xA9) return 0xFFFF;
    if (i == 0x43) return 40000;
    return static_cast<std::uint32_t>(i);
  };
  struct Case {
    const char* name;
    std::size_t words;
    std::uint32_t version;
    std::vector<std::string> shown;  // items that must be there
    std::vector<std::string> absent;
  };
  const Case cases[] = {
      {"first form", 582, 5,
       {"256=25,26,27,28 257=29 258=30,31,32,33 259=34 264=35,36,37,38", "276=60,61,62,63 277=64",
        "280=70,71,72,73 281=74 513=75,-1,77,78", "527=131,132,133,134"},
       {"0=", "260=", "16="}},
      {"fourth form version 5", 1227, 5,
       {"0=5 256=63,64,65,66 257=40000 258=68", "300=163,164,165,166 301=167 513=168,-1,170,171",
        "16=231,232,233,234 17=41943681,42074755,42205829,42336903 18=692,693,694,695 19=696 20=697 21=698"},
       {}},
      {"third form", 796, 1,
       {"0=1 256=63,64,65,66 257=40000 258=68,69,70,71 259=72 260=73,74,75,-1", "302=113,114,115,116 303=117",
        "308=128,129,130,131 309=132 513=133,134,135,136"},
       {"16=", "262="}},
      {"seventh form", 1312, 10, {"0=10 256=63,64,65,66 257=40000 258=68", "260=73,74,75,-1 261=77 264=128,129"},
       {"262=", "513=", "16="}},
      {"fourth form version 2", 1227, 2, {"0=2 256=63", "16=231,232,233,234 17=41943681"}, {"18=", "19="}},
      {"fourth form, too short for the later levels", 674, 5, {"0=5 256=63", "16=231,232,233,234 17=41943681"},
       {"18=", "21="}},
  };
  for (const ByteOrder order : kOrders) {
    for (const Case& c : cases) {
      Writer w = Words(order, c.words, +word);
      w.Put(0, c.version, 2);
      const std::string shown = Read(order, "Canon EOS 450D", kId450D, 0x4001, 3, w.bytes);
      for (const std::string& part : c.shown) EXPECT_NE(shown.find(part), std::string::npos) << c.name << ": " << shown;
      for (const std::string& part : c.absent)
        EXPECT_EQ((" " + shown).find(" " + part), std::string::npos) << c.name << ": " << shown;
    }
    // A length of no known form.
    EXPECT_EQ(Read(order, "Canon EOS 450D", kId450D, 0x4001, 3, Words(order, 583, +word).bytes), "");
  }
}

TEST(CanonBlocks, AfRecordsByPointCount) {
  // Three points: the counts, then arrays of three words and one word of bits each.
  const auto af2 = [](ByteOrder order, std::size_t words) {
    Writer w{order, {}};
    const std::uint32_t values[] = {40, 2, 3, 3, 4272, 2848, 4272, 2848, 115, 116, 117, 153, 154, 155,
                                    static_cast<std::uint16_t>(-674), 0, 674, 321, 0, 65535 - 320, 2, 5, 0, 7};
    for (std::size_t i = 0; i < words; ++i) w.Put(2 * i, values[i], 2);
    return w.bytes;
  };
  const auto af1 = [](ByteOrder order, std::size_t words) {
    Writer w{order, {}};
    for (std::size_t i = 0; i < words; ++i) w.Put(2 * i, i == 0 ? 3 : static_cast<std::uint32_t>(100 + i), 2);
    return w.bytes;
  };
  for (const ByteOrder order : kOrders) {
    EXPECT_EQ(Read(order, "Canon EOS 450D", kId450D, 0x0026, 3, af2(order, 24)),
              "8=115,116,117 9=153,154,155 10=-674,0,674 11=321,0,-321 12=2 13=5");
    // A compact body: its own two words instead of the selected points, then the primary point.
    EXPECT_EQ(Read(order, "Canon PowerShot G9", 1, 0x0026, 3, af2(order, 24)),
              "8=115,116,117 9=153,154,155 10=-674,0,674 11=321,0,-321 12=2 14=7");
    // Cut inside the heights: the widths alone.
    EXPECT_EQ(Read(order, "Canon EOS 450D", kId450D, 0x0026, 3, af2(order, 13)), "8=115,116,117");
    // The first record: the primary point follows the bits, or in the 36-word form eight words later.
    EXPECT_EQ(Read(order, "Canon PowerShot A70", 1, 0x0012, 3, af1(order, 16)),
              "8=108,109,110 9=111,112,113 10=114 11=115");
    EXPECT_EQ(Read(order, "Canon PowerShot A70", 1, 0x0012, 3, af1(order, 36)),
              "8=108,109,110 9=111,112,113 10=114 12=123");
    EXPECT_EQ(Read(order, "Canon EOS D60", 1, 0x0012, 3, af1(order, 16)),
              "8=108,109,110 9=111,112,113 10=114 12=115");
  }
}

}  // namespace
}  // namespace kelmarin
