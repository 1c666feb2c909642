#pragma once
// The running Windows version as the about window names it: version code, long and short name,
// edition and service pack, computed from a version record of the kind GetVersionEx fills.
// The logic is platform-neutral; only the default constructor (Windows builds) asks the system.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kelmarin {

// The fields of the system's version record (extended form).
struct OsVersionRecord {
  std::uint32_t size = 0;
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;  // 1 the Windows 9x family, 2 the NT family
  std::string csdVersion;        // service-pack text, at most 128 bytes, may hold a zero byte
  std::uint16_t servicePackMajor = 0;
  std::uint16_t servicePackMinor = 0;
  std::uint16_t suiteMask = 0;
  std::uint8_t productType = 0;  // 1 workstation
  std::uint8_t reserved = 0;
};

// Asks the system for its version record: extended = false the short form (the extended fields are
// ignored), true the extended form. nullopt when the system refuses.
using OsVersionQuery = std::function<std::optional<OsVersionRecord>(bool extended)>;

class OperatingSystem {
 public:
#ifdef _WIN32
  // Filled from GetVersionExA.
  OperatingSystem();
#endif
  // Short form first; the extended form only for the NT family from version 5, or 4 with service
  // pack 6 or later (older systems refuse it). A refused query leaves the fields at 0.
  explicit OperatingSystem(const OsVersionQuery& query);

  std::int32_t Platform() const {
    return static_cast<std::int32_t>(info.platformId);
  }
  // Version code 1 (Windows 95) to 11 (Server Longhorn); 0 when none applies.
  std::int32_t Version() const;
  std::string Name() const;     // empty for code 0
  std::string SubName() const;  // empty for code 0
  std::int32_t Major() const {
    return static_cast<std::int32_t>(info.majorVersion);
  }
  std::int32_t Minor() const {
    return static_cast<std::int32_t>(info.minorVersion);
  }
  // The build number; on the Windows 9x family only its low 16 bits (the high word repeats the version).
  std::int32_t Revision() const;
  // The service-pack text up to its first zero byte, without surrounding blanks.
  std::string ServicePack() const;
  std::uint16_t ServicePackMajor() const {
    return info.servicePackMajor;
  }
  std::uint16_t ServicePackMinor() const {
    return info.servicePackMinor;
  }
  std::int32_t ProductType() const {
    return info.productType;
  }
  std::int32_t SuiteMask() const {
    return info.suiteMask;
  }
  // 1 Home, 2 Professional, 3 Server, 4 Enterprise, 5 DataCenter; computed for every system.
  std::int32_t Edition() const;
  // The edition's name; empty for version codes below 4 (the Windows 9x family and unknown systems).
  std::string EditionName() const;

 private:
  OsVersionRecord info;
};

// The version column of the about window's "Windows" row: SubName, " " + EditionName when there is
// one, " SP major.minor" when there is a service-pack text, then " (major.minor.revision)".
std::string WindowsVersionText(const OperatingSystem& system);

}  // namespace kelmarin
