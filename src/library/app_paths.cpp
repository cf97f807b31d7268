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

std::string SingleInstanceKey() {
  return "poronka-player-" + std::to_string(static_cast<long>(::getuid()));
}

}  // namespace poronka
