#include "cli/cli.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "cli/edit_command.h"
#include "core/file_io.h"
#include "core/mbt.h"
#include "core/text_codec.h"
#include "interchange/smf_import.h"
#include "interchange/mfi_export.h"
#include "interchange/smf_export.h"
#include "settings/gs_variations.h"
#include "settings/sound_settings.h"

namespace poronka::cli {

namespace {
const Command* g_commands = nullptr;
}  // namespace

Command::Command(const char* n, RunFn r, const char* s) : name(n), run(r), synopsis(s), next(g_commands) {
  g_commands = this;
}
const Command* FirstCommand() { return g_commands; }

namespace {

const char* const kConvertUsage =
    "usage: poronka-cli convert INPUT OUTPUT [options]\n"
    "       poronka-cli dump INPUT [options]\n";
const char* const kOptionsUsage =
    "INPUT: .mbt or .mid; OUTPUT: .mbt, .mid or .mld\n"
    "options: --program N  --bank K  --pan N  --reverb N  --chorus N  --modulation N\n"
    "         --stop-delay N  --channels LIST  --no-pitch-adjust  --date YYYYMMDD\n";

void JsonString(std::ostringstream& o, const std::string& s) {
  o << '"';
  for (unsigned char c : s) {
    switch (c) {
      case '"': o << "\\\""; break;
      case '\\': o << "\\\\"; break;
      case '\n': o << "\\n"; break;
      case '\r': o << "\\r"; break;
      case '\t': o << "\\t"; break;
      case '\f': o << "\\f"; break;
      case '\b': o << "\\b"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          o << buf;
        } else {
          o << static_cast<char>(c);
        }
    }
  }
  o << '"';
}

template <typename V>
void JsonIntArray(std::ostringstream& o, const V& v) {
  o << '[';
  bool first = true;
  for (auto x : v) {
    if (!first) o << ',';
    first = false;
    o << static_cast<long long>(x);
  }
  o << ']';
}

bool ParseInt(const std::string& s, int lo, int hi, int& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  long x = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || x < lo || x > hi) return false;
  v = static_cast<int>(x);
  return true;
}

// "1-9,11-16" style list of MIDI channels 1..16.
bool ParseChannels(const std::string& s, std::vector<bool>& channels) {
  channels.assign(16, false);
  std::stringstream ss(s);
  std::string part;
  bool any = false;
  while (std::getline(ss, part, ',')) {
    if (part.empty()) continue;
    int a, b;
    size_t dash = part.find('-');
    if (dash == std::string::npos) {
      if (!ParseInt(part, 1, 16, a)) return false;
      b = a;
    } else if (!ParseInt(part.substr(0, dash), 1, 16, a) || !ParseInt(part.substr(dash + 1), 1, 16, b) || a > b) {
      return false;
    }
    for (int c = a; c <= b; ++c) channels[c - 1] = true;
    any = true;
  }
  return any || s.empty();
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, size_t from, Options& o, std::string& error) {
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
    struct IntOpt { const char* name; int* field; int lo, hi; };
    const IntOpt intOpts[] = {
        {"--program", &o.program, 0, 127}, {"--bank", &o.bank, 0, 127},
        {"--pan", &o.pan, 0, 127},         {"--reverb", &o.reverb, 0, 127},
        {"--chorus", &o.chorus, 0, 127},   {"--modulation", &o.modulation, 0, 127},
        {"--stop-delay", &o.stopDelay, 0, 100000}};
    bool handled = false;
    for (const auto& io : intOpts) {
      if (a == io.name) {
        if (!value(v)) return false;
        if (!ParseInt(v, io.lo, io.hi, *io.field)) {
          error = "bad value for " + a + ": " + v;
          return false;
        }
        handled = true;
      }
    }
    if (handled) continue;
    if (a == "--channels") {
      if (!value(v)) return false;
      if (!ParseChannels(v, o.channels)) {
        error = "bad channel list: " + v;
        return false;
      }
    } else if (a == "--no-pitch-adjust") {
      o.pitchAdjust = false;
    } else if (a == "--date") {
      if (!value(v)) return false;
      if (v.size() != 8 || v.find_first_not_of("0123456789") != std::string::npos) {
        error = "bad date (YYYYMMDD): " + v;
        return false;
      }
      o.date = v;
    } else {
      error = "unknown option: " + a;
      return false;
    }
  }
  return true;
}

// Loads INPUT by its extension. Returns kOk, kFailed or kUsage.
int LoadInput(const std::string& path, const Options& o, Score& s, int& keyShift,
              StderrMessages& msgs, std::ostream& err) {
  std::string ext = UpperExtension(path);
  s.FileName = path;
  keyShift = 0;
  if (ext == ".MBT") {
    LoadHooks hooks;
    return ReadMbt(s, msgs, hooks) == MbtLoad::Ok ? kOk : kFailed;
  }
  if (ext == ".MID") {
    SoundSettings settings;
    for (int c = 0; c < 16; ++c) settings.ChannelEnabled[c] = o.channels[c];
    settings.SmfPitchAdjust = o.pitchAdjust;
    SmfImportHooks hooks;
    SmfImportResult r = ImportSmf(s, settings, msgs, hooks);
    keyShift = r.keyShift;
    return r.status == SmfImportStatus::Ok ? kOk : kFailed;
  }
  err << "poronka-cli: unsupported input type: " << path << "\n" << UsageText();
  return kUsage;
}

int SaveOutput(const std::string& path, const Options& o, Score& s, StderrMessages& msgs,
               std::ostream& err) {
  std::string ext = UpperExtension(path);
  s.FileName = path;
  if (ext == ".MBT") return WriteMbt(s, msgs) ? kOk : kFailed;
  if (ext == ".MID" || ext == ".MLD") {
    SoundSettings settings;
    settings.Program = o.program;
    settings.BankIndex = o.bank;
    settings.Pan = o.pan;
    settings.Reverb = o.reverb;
    settings.Chorus = o.chorus;
    settings.Modulation = o.modulation;
    settings.StopDelayRows = o.stopDelay;
    if (ext == ".MID") {
      int entries = static_cast<int>(VariationsOf(o.program).size());
      if (o.bank > 0 && o.bank >= entries) {
        err << "poronka-cli: bad value for --bank: program " << o.program << " has "
            << (entries == 0 ? std::string("no variation list")
                             : "variations 0.." + std::to_string(entries - 1))
            << "\n" << UsageText();
        return kUsage;
      }
      return SaveSmf(s, settings, msgs) ? kOk : kFailed;
    }
    return SaveMfi(s, settings, msgs, o.date) ? kOk : kFailed;
  }
  err << "poronka-cli: unsupported output type: " << path << "\n" << UsageText();
  return kUsage;
}

namespace {

std::string OutputTypeError(const std::string& path) {
  std::string ext = UpperExtension(path);
  if (ext == ".MBT" || ext == ".MID" || ext == ".MLD") return "";
  return "poronka-cli: unsupported output type: " + path + "\n";
}

}  // namespace

std::string DumpJson(const Score& s, int keyShift, const std::vector<std::string>& messages) {
  std::ostringstream o;
  o << "{\"Title\":";
  JsonString(o, s.Title);
  o << ",\"HalfPeriod\":" << s.HalfPeriod << ",\"RowsPerBar\":" << s.RowsPerBar
    << ",\"NoteValue\":" << s.NoteValue << ",\"Bpm\":" << s.Bpm << ",\"PreRows\":" << s.PreRows
    << ",\"BarAdjust\":";
  JsonIntArray(o, s.BarAdjust);
  o << ",\"OctaveLine\":";
  JsonString(o, Utf16ToUtf8(s.OctaveLine));
  o << ",\"LetterLine\":";
  JsonString(o, Utf16ToUtf8(s.LetterLine));
  o << ",\"ColumnCount\":" << s.ColumnCount << ",\"ColumnPitch\":";
  JsonIntArray(o, s.ColumnPitch);
  o << ",\"RowCount\":" << s.RowCount << ",\"MaxSlot\":" << s.MaxSlot << ",\"RowNotes\":[";
  for (int32_t r = 0; r <= s.RowCount && r < static_cast<int32_t>(s.RowNotes.size()); ++r) {
    if (r) o << ',';
    JsonIntArray(o, s.RowNotes[r]);
  }
  o << "],\"KeyShift\":" << keyShift << ",\"Messages\":[";
  for (size_t i = 0; i < messages.size(); ++i) {
    if (i) o << ',';
    JsonString(o, messages[i]);
  }
  o << "]}";
  return o.str();
}

std::string UsageText() {
  std::vector<const Command*> commands;
  for (const Command* c = FirstCommand(); c; c = c->next) commands.push_back(c);
  std::sort(commands.begin(), commands.end(),
            [](const Command* a, const Command* b) { return std::string(a->name) < b->name; });
  std::string text = kConvertUsage;
  for (const Command* c : commands) text += std::string("       poronka-cli ") + c->synopsis + "\n";
  text += kOptionsUsage;
  text += EditOperationsUsage();
  return text;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << UsageText();
    return kUsage;
  }
  const std::string& cmd = args[0];
  // Commands that live in their own files register here.
  for (const Command* c = FirstCommand(); c; c = c->next)
    if (cmd == c->name) return c->run(args, out, err);
  size_t operands = cmd == "convert" ? 2 : cmd == "dump" ? 1 : 0;
  if (operands == 0 || args.size() < 1 + operands) {
    err << UsageText();
    return kUsage;
  }
  Options opts;
  std::string error;
  if (!ParseOptions(args, 1 + operands, opts, error)) {
    err << "poronka-cli: " << error << "\n" << UsageText();
    return kUsage;
  }
  if (cmd == "convert") {
    std::string e = OutputTypeError(args[2]);
    if (!e.empty()) {
      err << e << UsageText();
      return kUsage;
    }
  }
  Score score;
  StderrMessages msgs(err);
  int keyShift = 0;
  int rc = LoadInput(args[1], opts, score, keyShift, msgs, err);
  if (rc != kOk) return rc;
  if (cmd == "dump") {
    out << DumpJson(score, keyShift, msgs.texts()) << "\n";
    return kOk;
  }
  return SaveOutput(args[2], opts, score, msgs, err);
}

}  // namespace poronka::cli
