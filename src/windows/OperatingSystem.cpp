#include "windows/OperatingSystem.h"

#include <array>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelmarin {

namespace {

struct VersionName {
  const char* name;
  const char* subName;
};

constexpr std::array<VersionName, 12> kVersionNames = {{
    {"", ""},
    {"Windows 95", "95"},
    {"Windows 98", "98"},
    {"Windows Me", "Me"},
    {"Windows NT 3.51", "NT 3.51"},
    {"Windows NT 4.0", "NT 4.0"},
    {"Windows 2000", "2000"},
    {"Windows XP", "XP"},
    {"Windows .NET Server", ".NET Server"},
    {"Windows 2003 Server", "2003 Server"},
    {"Windows Vista", "Vista"},
    {"Windows Server Longhorn", "Server Longhorn"},
}};

std::string CutAtZero(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The digit after "Service Pack " (the 14th character), 0 when the text is shorter or no digit is there.
int ServicePackNumber(const std::string& csdVersion) {
  const std::string text = CutAtZero(csdVersion);
  if (text.size() < 14) return 0;
  const char digit = text[13];
  return digit >= '0' && digit <= '9' ? digit - '0' : 0;
}

bool WantsExtendedForm(const OsVersionRecord& brief) {
  if (brief.platformId != 2) return false;
  return brief.majorVersion >= 5 || (brief.majorVersion == 4 && ServicePackNumber(brief.csdVersion) >= 6);
}

OsVersionRecord WithoutExtendedFields(OsVersionRecord record) {
  record.servicePackMajor = 0;
  record.servicePackMinor = 0;
  record.suiteMask = 0;
  record.productType = 0;
  record.reserved = 0;
  return record;
}

}  // namespace

OperatingSystem::OperatingSystem(const OsVersionQuery& query) {
  const std::optional<OsVersionRecord> brief = query ? query(false) : std::nullopt;
  if (!brief) return;
  info = WithoutExtendedFields(*brief);
  if (WantsExtendedForm(info)) {
    if (const std::optional<OsVersionRecord> extended = query(true)) info = *extended;
  }
}

std::int32_t OperatingSystem::Version() const {
  const std::uint32_t major = info.majorVersion;
  const std::uint32_t minor = info.minorVersion;
  if (info.platformId == 1 && major == 4) {
    if (minor == 0) return 1;
    if (minor >= 10 && minor <= 89) return 2;
    if (minor >= 90) return 3;
    return 0;
  }
  if (info.platformId != 2) return 0;
  if (major == 3 && minor == 51) return 4;
  if (major == 4) return 5;
  if (major == 5 && minor == 0) return 6;
  if (major == 5 && minor == 1) return info.productType == 1 ? 7 : 8;
  if (major == 5 && minor == 2) return 9;
  if (major == 6 && minor == 0) return info.productType == 1 ? 10 : 11;
  return 0;
}

std::string OperatingSystem::Name() const {
  return kVersionNames[static_cast<std::size_t>(Version())].name;
}

std::string OperatingSystem::SubName() const {
  return kVersionNames[static_cast<std::size_t>(Version())].subName;
}

std::int32_t OperatingSystem::Revision() const {
  if (info.platformId == 1) return static_cast<std::int32_t>(info.buildNumber & 0xFFFFu);
  return static_cast<std::int32_t>(info.buildNumber);
}

std::string OperatingSystem::ServicePack() const {
  return Trim(CutAtZero(info.csdVersion));
}

std::int32_t OperatingSystem::Edition() const {
  if (info.productType == 1) return (info.suiteMask & 0x200) != 0 ? 1 : 2;
  if ((info.suiteMask & 0x2) != 0) return 4;
  if ((info.suiteMask & 0x80) != 0) return 5;
  return 3;
}

std::string OperatingSystem::EditionName() const {
  if (Version() < 4) return {};
  static constexpr std::array<const char*, 6> kEditions = {"",       "Home",       "Professional",
                                                           "Server", "Enterprise", "DataCenter"};
  return kEditions[static_cast<std::size_t>(Edition())];
}

std::string WindowsVersionText(const OperatingSystem& system) {
  std::string text = system.SubName();
  if (const std::string edition = system.EditionName(); !edition.empty()) text += " " + edition;
  if (!system.ServicePack().empty()) {
    text +=
        " SP " + std::to_string(system.ServicePackMajor()) + "." + std::to_string(system.ServicePackMinor());
  }
  text += " (" + std::to_string(system.Major()) + "." + std::to_string(system.Minor()) + "." +
          std::to_string(system.Revision()) + ")";
  return text;
}

#ifdef _WIN32

namespace {

std::optional<OsVersionRecord> AskWindows(bool extended) {
  OSVERSIONINFOEXA v{};
  v.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  const BOOL ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v));
#if defined(__GNUC__) && !defined(_MSC_VER)
#pragma GCC diagnostic pop
#endif
  if (!ok) return std::nullopt;
  OsVersionRecord record;
  record.size = v.dwOSVersionInfoSize;
  record.majorVersion = v.dwMajorVersion;
  record.minorVersion = v.dwMinorVersion;
  record.buildNumber = v.dwBuildNumber;
  record.platformId = v.dwPlatformId;
  record.csdVersion.assign(v.szCSDVersion, sizeof(v.szCSDVersion));
  if (extended) {
    record.servicePackMajor = v.wServicePackMajor;
    record.servicePackMinor = v.wServicePackMinor;
    record.suiteMask = v.wSuiteMask;
    record.productType = v.wProductType;
    record.reserved = v.wReserved;
  }
  return record;
}

}  // namespace

OperatingSystem::OperatingSystem() : OperatingSystem(OsVersionQuery(&AskWindows)) {}

#endif

}  // namespace kelmarin
