// A run folder laid out by the data step in a fresh temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace data_test {

namespace fs = std::filesystem;

// A new empty folder under the system's temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Runs make-data on the folder; returns its exit status.
int32_t RunMakeData(const std::string& arguments);
int32_t RunMakeData(const fs::path& folder);
std::string ReadBytes(const fs::path& path);
// Every file under the folder, by relative path, with its contents.
std::map<std::string, std::string> Snapshot(const fs::path& folder);

}  // namespace data_test
