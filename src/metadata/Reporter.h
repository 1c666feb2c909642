#pragma once
// How the core tells the user about a failure without knowing any toolkit: the window shows a
// message box, the command-line lister prints to standard error, tests record the messages.

#include <string>

namespace kelmarin {

enum class MessageIcon { Warning, Critical, Information, None };

struct Message {
  std::string caption;  // UTF-8
  std::string text;     // UTF-8, lines separated by "\n" (or "\r\n" where the text says so)
  MessageIcon icon = MessageIcon::Warning;
};

class Reporter {
 public:
  virtual ~Reporter() = default;
  // Shows one message with a single OK button; returns when the user has seen it.
  virtual void Report(const Message& message) = 0;
};

}  // namespace kelmarin
