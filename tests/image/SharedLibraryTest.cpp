// The one run-time loader (SharedLibrary) and LibRaw's result codes as the codec layer counts them.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "image/meta/LibRawResult.h"
#include "image/meta/SharedLibrary.h"

namespace {

using kelmarin::SharedLibrary;
namespace codec = kelmarin::codec;

TEST(SharedLibrary, LoadsFindsTellsItsFileAndFailsWithAReason) {
  SharedLibrary c = SharedLibrary::Open("libc.so.6", SharedLibrary::Binding::kNow);
  ASSERT_TRUE(c) << c.problem();
  EXPECT_TRUE(c.problem().empty());
  using Length = std::size_t (*)(const char*);
  Length length = nullptr;
  ASSERT_TRUE(c.Find("strlen", length));
  EXPECT_EQ(length("Kelmarin"), 8u);
  Length none = &std::strlen;
  EXPECT_FALSE(c.Find("kelmarin_no_such_symbol", none));
  EXPECT_EQ(none, nullptr);
  // The real file, links resolved: the C library's own file, which also holds strlen.
  const std::filesystem::path file = c.LoadedFile();
  EXPECT_TRUE(file.is_absolute() && std::filesystem::is_regular_file(file)) << file;
  EXPECT_EQ(kelmarin::FileHolding(reinterpret_cast<const void*>(length)), file);

  // Moving hands the handle on; an empty object finds nothing and tells no file.
  SharedLibrary moved = std::move(c);
  EXPECT_TRUE(moved && !c);
  EXPECT_FALSE(c.Find("strlen", length));
  EXPECT_TRUE(c.LoadedFile().empty());
  moved.Keep();
  EXPECT_FALSE(moved);

  for (const char* missing : {"libkelmarin-not-there.so.3", "/nowhere/kelmarin.so"}) {
    const SharedLibrary library = SharedLibrary::Open(missing);
    EXPECT_FALSE(library);
    EXPECT_NE(library.problem().find("kelmarin"), std::string::npos) << library.problem();
  }
  // An address of the program itself is held by the program.
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(kelmarin::FileHolding(reinterpret_cast<const void*>(&kelmarin::FileHolding)).filename(),
            self.filename());
}

TEST(LibRawResult, CodesAsTheCodecLayerCountsThem) {
  const std::pair<int, codec::Code> cases[] = {
      {LIBRAW_SUCCESS, codec::kOk},
      {ENOENT, codec::kCannotOpen},
      {EACCES, codec::kCannotOpen},
      {LIBRAW_UNSUFFICIENT_MEMORY, codec::kNoMemory},
      {LIBRAW_TOO_BIG, codec::kNoMemory},
      {LIBRAW_MEMPOOL_OVERFLOW, codec::kNoMemory},
      {LIBRAW_FILE_UNSUPPORTED, codec::kCorrupt},
      {LIBRAW_IO_ERROR, codec::kCorrupt},
      {LIBRAW_DATA_ERROR, codec::kCorrupt},
  };
  for (const auto& [result, code] : cases) EXPECT_EQ(codec::FromLibRaw(result), code) << result;
}

}  // namespace
