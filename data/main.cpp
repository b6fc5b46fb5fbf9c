// make-data <run folder>: lays out the run folder and adds every data file
// the program loads and does not make. Existing files are never touched, so
// a second run changes nothing and a user's files are safe.
#include <cstring>
#include <iostream>

#include "data.h"

namespace {

int Usage() {
  std::cerr << "usage: make-data <run folder>\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strlen(argv[1]) == 0) return Usage();
  namespace fs = data::fs;
  const fs::path root = argv[1];
  const fs::path files = root / "Files";
  const fs::path common = files / "Common";
  const fs::path week = files / "001";
  const fs::path music = week / "music";
  try {
    for (const fs::path& folder :
         {common, music, root / "Palettes", root / "Presets", root / "Spritesheets"}) {
      fs::create_directories(folder);
    }
    data::MakeFonts(common);
    data::MakeSounds(common, week);
    data::MakeMusic(music);
  } catch (const std::exception& error) {
    std::cerr << "make-data: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
