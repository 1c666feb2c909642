#pragma once
// The start-up check of the imaging components: each codec backend is set up once; a backend that
// cannot work ends the start-up with a message naming it.

#include <functional>
#include <string>
#include <vector>

namespace kelmarin {

class Reporter;

// The system's library folder (the folder of the C library, e.g. /usr/lib/x86_64-linux-gnu), without
// a trailing separator. Set by InitComponents; empty before.
extern std::string system_directory;

// Records system_directory, then sets up each codec module that names a component (image/meta/Formats.h),
// in the registry's order. The first that fails is named in one critical message
// ("Die benötigte Komponente" …) with the caption "Kelmarin", and false is returned; nothing is retried.
// True when every backend is ready. Calling it again repeats only the message of a failure.
bool InitComponents(Reporter& reporter);

// One component of the check: its name in the message and its one-time set-up.
struct Component {
  std::string name;
  std::function<bool()> init;
};

// The imaging components in the order they are checked.
std::vector<Component> ImagingComponents();

// The check over any list of components (InitComponents uses ImagingComponents()).
bool InitComponents(Reporter& reporter, const std::vector<Component>& components);

// The text of the message for a missing component (lines separated by "\r\n").
std::string ComponentMessage(const std::string& component);

// The system's library folder as InitComponents records it.
std::string SystemLibraryDirectory();

}  // namespace kelmarin
