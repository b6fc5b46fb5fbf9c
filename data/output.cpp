#include <fstream>
#include <stdexcept>

#include "data.h"

namespace data {

bool Missing(const fs::path& path) {
  std::error_code error;
  return !fs::exists(fs::symlink_status(path, error));
}

void WriteNewFile(const fs::path& path, const std::string& bytes) {
  if (!Missing(path)) return;
  // Written beside the target and moved in whole, so an interrupted run never
  // leaves a half file that a later run would take as made.
  fs::path part = path;
  part += ".part";
  // Whatever a killed run left there goes first: a link in its place must
  // not lead the write elsewhere.
  fs::remove(part);
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + part.string());
  }
  fs::rename(part, path);
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
