#include <fstream>
#include <stdexcept>

#include "data.h"

namespace data {

bool Missing(const fs::path& path) {
  std::error_code error;
  return !fs::exists(fs::symlink_status(path, error));
}

// Written beside the target, through the descriptor that made its file new
// (so no link there leads the write elsewhere), and moved in whole only where
// nothing has the name: an interrupted run never leaves a half file that a
// later run would take as made.
void WriteNewFile(const fs::path& path,
                  const std::function<bool(platform::FileBeingSaved&)>& write) {
  if (!Missing(path)) return;
  const fs::path folder = path.parent_path();
  platform::PendingNewFile file(platform::FromUtf8(folder.empty() ? "" : folder.string() + "/"));
  if (!write(file) ||
      file.CommitAs(platform::FromUtf8(path.string())) == platform::PendingNewFile::Result::kFailed)
    throw std::runtime_error("cannot write " + path.string());
}

void WriteNewFile(const fs::path& path, const std::string& bytes) {
  WriteNewFile(
      path, [&](platform::FileBeingSaved& file) { return file.Write(bytes.data(), bytes.size()); });
}

bool CopyFirstExisting(const std::vector<fs::path>& sources, const fs::path& target) {
  if (!Missing(target)) return true;
  for (const fs::path& source : sources) {
    std::ifstream in(source, std::ios::binary);
    if (!in) continue;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WriteNewFile(target, bytes);
    return true;
  }
  return false;
}

}  // namespace data
