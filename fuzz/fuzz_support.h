// Shared parts of the fuzz harnesses: a load that says nothing and an abort
// that names what went wrong.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "core/messages.h"

namespace poronka::fuzz {

// Answers every question with OK and forgets what was said.
class QuietMessages : public Messages {
 public:
  void ShowError(const std::string&) override {}
  void ShowInformation(const std::string&) override {}
  bool AskOkCancel(const std::string&) override { return true; }
};

// A broken expectation: libFuzzer records the input as a crash.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace poronka::fuzz
