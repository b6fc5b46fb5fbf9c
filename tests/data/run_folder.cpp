#include "data/run_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace data_test {

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "quill-data-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

int32_t RunMakeData(const std::string& arguments) {
  std::string command = std::string("'") + QUILL_BINARY_DIR + "/make-data' " + arguments;
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int32_t RunMakeData(const fs::path& folder) { return RunMakeData("'" + folder.string() + "'"); }

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string name = fs::relative(entry.path(), folder).string();
    files[name] = entry.is_regular_file() ? ReadBytes(entry.path()) : "<folder>";
  }
  return files;
}

}  // namespace data_test
