// poronka-cli title FILE [--long] [--display]: the title reader from the
// command line. Prints the title (and, with --long, the artist on a second
// line), or with --display the name the playlist would show for the file.
#include <string>
#include <vector>

#include "cli/cli.h"
#include "library/media_title.h"
#include "library/playlist.h"

namespace poronka::cli {
namespace {

int RunTitle(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string path;
  bool longForm = false;
  bool display = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--long") {
      longForm = true;
    } else if (args[i] == "--display") {
      display = true;
    } else if (path.empty() && !(args[i].size() > 1 && args[i][0] == '-')) {
      path = args[i];
    } else {
      err << "poronka-cli: unknown argument " << args[i] << "\nusage: poronka-cli title FILE [--long] [--display]\n";
      return kUsage;
    }
  }
  if (path.empty()) {
    err << "usage: poronka-cli title FILE [--long] [--display]\n";
    return kUsage;
  }
  if (display) {
    std::optional<std::string> name = DisplayNameOf(path, nullptr);
    if (!name) {
      out << kTitleErrorMarker << "\n";
      return kFailed;
    }
    out << *name << "\n";
    return kOk;
  }
  std::string artist;
  std::string title = ReadTitle(path, longForm, &artist);
  if (title == kTitleErrorMarker) {
    out << kTitleErrorMarker << "\n";
    return kFailed;
  }
  out << title << "\n";
  if (longForm) out << artist << "\n";
  return kOk;
}

const Command kTitle("title", &RunTitle, "title FILE [--long] [--display]");

}  // namespace
}  // namespace poronka::cli
