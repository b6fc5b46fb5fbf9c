// make-data <run folder>: lays out the run folder and adds every data file
// the program loads and does not make. Existing files are never touched, so
// a second run changes nothing and a user's files are safe.
#include <cstring>
#include <iostream>

#include "data.h"

namespace {

int Usage() {
  std::cerr << "usage: make-data <run folder>\n"
               "       make-data --contact-sheet <picture.png>\n";
  return 2;
}

// Every picture on one page, enlarged where small, to look them over.
void SaveContactSheet(const data::fs::path& path) {
  using data::Picture;
  Picture page(1280, 1060, {40, 40, 48, 255});
  page.Place(data::CellSheet(data::ShapeCells(), 10, 80, {}), 0, 0);
  page.Place(data::CellSheet(data::FilterCells(), 10, 80, {}), 640, 0);
  page.Place(data::Scaled(data::IconSheet(), 4), 0, 530);
  page.Place(data::CellSheet(data::BadgeCells(), 4, 16, {}), 540, 530);
  std::vector<Picture> palettes = data::PaletteCells();
  for (size_t i = 0; i < palettes.size(); ++i) {
    page.Place(data::Scaled(palettes[i], 8), 820 + static_cast<int32_t>(i % 3) * 140,
               530 + static_cast<int32_t>(i / 3) * 140);
  }
  data::fs::remove(path);
  data::SavePictureIfMissing(page, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--contact-sheet") == 0) {
    SaveContactSheet(argv[2]);
    return 0;
  }
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
    data::MakeIcons(common);
    data::MakeLogos(common, week);
    data::MakeBadges(week);
    data::MakeShapes(root);
    data::MakeFilters(root);
    data::MakePalettes(root / "Palettes");
    data::MakeSounds(common, week);
    data::MakeMusic(music);
  } catch (const std::exception& error) {
    std::cerr << "make-data: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
