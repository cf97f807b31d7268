// poronka-cli fit INPUT --box NAME|FILE [--json] [--mm-per-row X] [--transpose K]
//   tells whether a paper-strip music box can play the song: exit 0 when it
//   fits, 3 when it does not.
// poronka-cli strip INPUT OUT.svg|OUT.pdf --box NAME|FILE [--paper a4|letter]
//   [--landscape] [--mm-per-row X] [--transpose K|--auto-transpose]
//   writes the punched strip at true scale.
// Both take the import options of convert for MIDI input.
#include <unistd.h>

#include <QGuiApplication>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/file_io.h"
#include "interchange/box_fit.h"
#include "interchange/strip_file.h"
#include "library/app_paths.h"

namespace poronka::cli {
namespace {

constexpr int kDoesNotFit = 3;

const char* const kFitUsage =
    "usage: poronka-cli fit INPUT --box NAME|FILE [--json] [--mm-per-row X] [--transpose K] [import options]\n";
const char* const kStripUsage =
    "usage: poronka-cli strip INPUT OUT.svg|OUT.pdf --box NAME|FILE [--paper a4|letter] [--landscape]\n"
    "                         [--mm-per-row X] [--transpose K|--auto-transpose] [import options]\n";

std::string BoxFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return FindInstallFolder(ec ? std::string() : exe.parent_path().string()) + "/boxes";
}

struct BoxOptions {
  std::string box;
  bool json = false;
  std::string paper = "a4";
  bool landscape = false;
  double mmPerRow = kDefaultMmPerRow;
  std::optional<int> transpose;
  bool autoTranspose = false;
};

// Takes the box options out of args[from..] and hands the rest to
// ParseOptions. `strip` allows the page options.
bool ParseBoxOptions(const std::vector<std::string>& args, size_t from, bool strip, BoxOptions& b, Options& o,
                     std::string& error) {
  std::vector<std::string> rest(args.begin(), args.begin() + std::min(from, args.size()));
  for (size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= args.size()) {
        error = "missing value for " + a;
        return false;
      }
      v = args[++i];
      return true;
    };
    std::string v;
    if (a == "--box") {
      if (!value(b.box)) return false;
    } else if (a == "--json" && !strip) {
      b.json = true;
    } else if (a == "--mm-per-row") {
      if (!value(v)) return false;
      char* end = nullptr;
      b.mmPerRow = std::strtod(v.c_str(), &end);
      if (v.empty() || *end != '\0' || !std::isfinite(b.mmPerRow) || b.mmPerRow < 0.5 || b.mmPerRow > 100) {
        error = "bad value for --mm-per-row (0.5..100): " + v;
        return false;
      }
    } else if (a == "--transpose") {
      if (!value(v)) return false;
      char* end = nullptr;
      const long k = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || k < -kMaxFitShift || k > kMaxFitShift) {
        error = "bad value for --transpose (-24..24): " + v;
        return false;
      }
      b.transpose = static_cast<int>(k);
    } else if (a == "--auto-transpose" && strip) {
      b.autoTranspose = true;
    } else if (a == "--paper" && strip) {
      if (!value(b.paper)) return false;
      if (b.paper != "a4" && b.paper != "letter") {
        error = "bad value for --paper (a4, letter): " + b.paper;
        return false;
      }
    } else if (a == "--landscape" && strip) {
      b.landscape = true;
    } else {
      rest.push_back(a);
    }
  }
  if (b.box.empty()) {
    error = "--box is required";
    return false;
  }
  if (b.transpose && b.autoTranspose) {
    error = "--transpose and --auto-transpose exclude each other";
    return false;
  }
  return ParseOptions(rest, from, o, error);
}

// Parses, loads the song and the box. Returns kOk or the exit status.
int Prepare(const std::vector<std::string>& args, size_t operands, bool strip, const char* usage, BoxOptions& b,
            Score& score, MusicBox& box, StderrMessages& msgs, std::ostream& err) {
  if (args.size() < 1 + operands) {
    err << usage;
    return kUsage;
  }
  Options o;
  std::string error;
  if (!ParseBoxOptions(args, 1 + operands, strip, b, o, error)) {
    err << "poronka-cli: " << error << "\n" << usage;
    return kUsage;
  }
  if (!FindMusicBox(b.box, BoxFolder(), box, error)) {
    err << "poronka-cli: " << error << "\n";
    return kUsage;
  }
  int keyShift = 0;
  return LoadInput(args[1], o, score, keyShift, msgs, err);
}

int RunFit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  BoxOptions b;
  Score score;
  MusicBox box;
  StderrMessages msgs(err);
  const int rc = Prepare(args, 1, false, kFitUsage, b, score, box, msgs, err);
  if (rc != kOk) return rc;
  const FitReport report = CheckFit(score, box, b.mmPerRow, b.transpose.value_or(0));
  const BestShift best = FindBestShift(score, box);
  out << (b.json ? FitReportJson(report, box, best) + "\n" : FitReportText(report, box, best));
  return report.Fits() ? kOk : kDoesNotFit;
}

int RunStrip(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  if (args.size() >= 3 && !IsStripFileName(args[2])) {
    err << "poronka-cli: the output must be a .svg or .pdf file: " << args[2] << "\n" << kStripUsage;
    return kUsage;
  }
  BoxOptions b;
  Score score;
  MusicBox box;
  StderrMessages msgs(err);
  const int rc = Prepare(args, 2, true, kStripUsage, b, score, box, msgs, err);
  if (rc != kOk) return rc;
  StripOptions so;
  so.paper = b.paper == "letter" ? StripPaper::Letter : StripPaper::A4;
  so.landscape = b.landscape;
  so.mmPerRow = b.mmPerRow;
  so.shift = b.autoTranspose ? FindBestShift(score, box).shift : b.transpose.value_or(0);
  StripDocument doc;
  std::string error;
  if (!LayoutStrip(score, box, so, doc, error)) {
    err << "poronka-cli: " << error << "\n";
    return kFailed;
  }
  // The PDF's fonts need a GUI application; no window is shown.
  std::unique_ptr<QGuiApplication> app;
  if (UpperExtension(args[2]) == ".PDF" && !QGuiApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "poronka-cli";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  if (!WriteStripFile(args[2], doc, error)) {
    err << "poronka-cli: " << error << "\n";
    return kFailed;
  }
  if (!doc.fit.Fits())
    err << "poronka-cli: 演奏できない音 " << doc.fit.unplayable.size() << "、間隔が短すぎる音 " << doc.fit.tooClose.size()
        << "（赤で示しました）\n";
  return kOk;
}

const Command kFit("fit", &RunFit, "fit INPUT --box NAME|FILE [--json] [--mm-per-row X] [--transpose K]");
const Command kStrip("strip", &RunStrip, "strip INPUT OUT.svg|OUT.pdf --box NAME|FILE [--paper a4|letter] [--landscape] ...");

}  // namespace
}  // namespace poronka::cli
