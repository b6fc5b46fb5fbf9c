// The two TrueType faces, copied from the Debian font packages that the
// dependency script installs (their licences allow redistribution).
#include <iostream>

#include "data.h"

namespace data {

void MakeFonts(const fs::path& common) {
  const fs::path dejavu = "/usr/share/fonts/truetype/dejavu";
  const fs::path bebas = "/usr/share/fonts/opentype/bebas-neue";
  // Body text: a clean, slightly condensed sans.
  if (!CopyFirstExisting({dejavu / "DejaVuSansCondensed.ttf", dejavu / "DejaVuSans.ttf"},
                         common / "Blue Highway.ttf")) {
    std::cerr << "make-data: no body font found (install fonts-dejavu-extra)\n";
  }
  // Display face: a bold condensed capitals face; FreeType reads it whatever
  // the file name says.
  if (!CopyFirstExisting({bebas / "BebasNeue-Bold.otf", bebas / "BebasNeue-Regular.otf",
                          dejavu / "DejaVuSansCondensed-Bold.ttf"},
                         common / "Acknowledge TT BRK.ttf")) {
    std::cerr << "make-data: no display font found (install fonts-bebas-neue)\n";
  }
}

}  // namespace data
