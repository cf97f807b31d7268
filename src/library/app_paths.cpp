#include "library/app_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace poronka {

const char* const kDataFolderName = "poronka-data";
const char* const kInstallFolderVariable = "PORONKA_DATA_DIR";
const char* const kInstalledDataFolder = "../share/poronka";
const char* const kHelpFileName = "help/index.html";
const char* const kExamplesFolderName = "examples";

std::string FindInstallFolder(const std::string& exeDir, const std::string& envValue,
                              const std::string& currentDir) {
  if (!exeDir.empty()) {
    std::error_code ec;
    const std::filesystem::path data = std::filesystem::path(exeDir) / kDataFolderName;
    if (std::filesystem::is_directory(data, ec)) return data.string();
    const std::filesystem::path installed =
        (std::filesystem::path(exeDir) / kInstalledDataFolder).lexically_normal();
    if (std::filesystem::is_directory(installed, ec)) return installed.string();
  }
  if (!envValue.empty()) return envValue;
  return currentDir;
}

std::string FindInstallFolder(const std::string& exeDir) {
  const char* env = std::getenv(kInstallFolderVariable);
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  return FindInstallFolder(exeDir, env ? env : "", cwd);
}

std::string HelpFileOf(const std::string& installFolder) {
  if (installFolder.empty()) return kHelpFileName;
  if (installFolder.back() == '/') return installFolder + kHelpFileName;
  return installFolder + "/" + kHelpFileName;
}

namespace {

// Letters and digits stay; anything else becomes '_' (the key names a file).
std::string SocketSafe(const std::string& s) {
  std::string out;
  for (char c : s) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    out.push_back(plain ? c : '_');
  }
  return out;
}

// ":0.1" and ":0" are the same desktop: the screen number after the
// display number is dropped.
std::string WithoutScreen(const std::string& display) {
  const size_t colon = display.rfind(':');
  if (colon == std::string::npos) return display;
  const size_t dot = display.find('.', colon);
  return dot == std::string::npos ? display : display.substr(0, dot);
}

}  // namespace

std::string SingleInstanceKey(long uid, const std::string& xDisplay, const std::string& waylandDisplay) {
  std::string key = "poronka-player-" + std::to_string(uid);
  if (!waylandDisplay.empty()) return key + "-wayland-" + SocketSafe(waylandDisplay);
  if (!xDisplay.empty()) return key + "-x-" + SocketSafe(WithoutScreen(xDisplay));
  return key;
}

std::string SingleInstanceKey() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return SingleInstanceKey(static_cast<long>(::getuid()), x ? x : "", wayland ? wayland : "");
}

}  // namespace poronka
