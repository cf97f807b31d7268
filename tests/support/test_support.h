// Helpers shared by the tests: temporary folders and files.
#pragma once

#include <string>

namespace poronka::testing {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// Path of a file under the source tree (examples, test data).
std::string SourcePath(const std::string& relative);

}  // namespace poronka::testing
