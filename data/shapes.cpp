// Shapes.png: stencil shapes in 64 x 64 cells. Red is high inside a shape
// and fades outward past its outline, so the generator's threshold
// (140 - randomness) takes exactly the body at randomness 0 and a growing,
// softer halo as randomness rises.
#include <algorithm>
#include <cmath>

#include "data.h"

namespace data {

namespace {

constexpr int32_t kCell = 64;
constexpr int32_t kSheetCells = 100;
const Colour kStopCell = {0, 200, 200, 255};
const Colour kAfterStop = {0, 0, 0, 255};

using Points = std::vector<std::pair<float, float>>;

Points Mirrored(Points half) {
  // Points of the left half, top to bottom; the right half mirrors them.
  Points all = half;
  for (auto it = half.rbegin(); it != half.rend(); ++it)
    all.push_back({64 - it->first, it->second});
  return all;
}

Shape Blob(float base, float a, int32_t fa, float pa, float b, int32_t fb, float pb) {
  return [=](float x, float y) {
    float angle = std::atan2(y - 32, x - 32);
    float radius = base + a * std::sin(fa * angle + pa) + b * std::sin(fb * angle + pb);
    return (std::hypot(x - 32, y - 32) - radius) * 0.8f;
  };
}

Shape PairOfLegs(float y, float reach, float drop, float width) {
  return Union(
      {Capsule(32, y, 32 - reach, y + drop, width), Capsule(32, y, 32 + reach, y + drop, width)});
}

std::vector<Shape> Geometric() {
  return {
      Circle(32, 32, 27),
      Ellipse(32, 32, 29, 18),
      Ellipse(32, 32, 18, 29),
      Box(32, 32, 23, 23, 8),
      Box(32, 32, 21, 21),
      Polygon({{32, 3}, {61, 32}, {32, 61}, {3, 32}}),
      Polygon({{32, 4}, {61, 58}, {3, 58}}),
      Polygon({{3, 6}, {61, 6}, {32, 60}}),
      Ring(Circle(32, 32, 20), 7),
      Union({Box(32, 32, 9, 28, 3), Box(32, 32, 28, 9, 3)}),
      Union({Capsule(10, 10, 54, 54, 7), Capsule(54, 10, 10, 54, 7)}),
      Star(32, 35, 5, 30, 12),
      Star(32, 32, 4, 31, 9),
      Union({Circle(21, 23, 14), Circle(43, 23, 14), Polygon({{8, 28}, {56, 28}, {32, 59}})}),
      Subtract(Circle(30, 32, 27), Circle(44, 24, 22)),
      Polygon({{32, 3}, {57, 17}, {57, 47}, {32, 61}, {7, 47}, {7, 17}}),
      Capsule(15, 32, 49, 32, 16),
      Capsule(32, 15, 32, 49, 16),
      Union({Circle(32, 40, 20), Ellipse(32, 28, 16, 25)}),
      Union({Circle(32, 41, 19), Polygon({{32, 2}, {50, 34}, {14, 34}})}),
      Intersect(Circle(32, 54, 30), Box(32, 38, 32, 22)),
      Union({Polygon({{32, 3}, {60, 33}, {4, 33}}), Box(32, 46, 11, 16)}),
      Blob(24, 4, 3, 1.0f, 3, 5, 2.0f),
      Blob(23, 5, 2, 0.3f, 3, 7, 1.1f),
      Blob(22, 6, 4, 0.7f, 2, 3, 2.9f),
      Ring(Box(32, 32, 22, 22, 6), 6),
      Union({Box(32, 32, 12, 26), Box(32, 7, 20, 5, 2), Box(32, 57, 20, 5, 2)}),
      Intersect(Circle(18, 32, 30), Circle(46, 32, 30)),
  };
}

std::vector<Shape> Creatures() {
  return {
      // beetle
      Union({Ellipse(32, 38, 16, 20), Circle(32, 15, 9), PairOfLegs(30, 26, -8, 2.5f),
             PairOfLegs(38, 27, 2, 2.5f), PairOfLegs(46, 25, 12, 2.5f), Capsule(28, 8, 22, 2, 2),
             Capsule(36, 8, 42, 2, 2)}),
      // spider
      Union({Circle(32, 38, 13), Circle(32, 21, 8), PairOfLegs(26, 28, -16, 2.5f),
             PairOfLegs(30, 30, -4, 2.5f), PairOfLegs(36, 30, 10, 2.5f),
             PairOfLegs(40, 26, 20, 2.5f)}),
      // bird
      Union({Ellipse(30, 38, 17, 12), Circle(45, 26, 9), Polygon({{52, 23}, {62, 27}, {52, 30}}),
             Polygon({{18, 34}, {40, 33}, {22, 12}}), Polygon({{14, 36}, {2, 28}, {4, 44}}),
             Capsule(28, 48, 26, 58, 2), Capsule(34, 48, 36, 58, 2)}),
      // fish
      Union({Ellipse(27, 32, 21, 14), Polygon({{42, 32}, {62, 16}, {62, 48}}),
             Polygon({{20, 20}, {36, 20}, {30, 10}})}),
      // slime
      Union({Intersect(Ellipse(32, 50, 28, 34), Box(32, 38, 30, 20)), Capsule(14, 56, 12, 61, 3),
             Capsule(46, 56, 48, 61, 3)}),
      // ghost
      Subtract(Union({Circle(32, 26, 22), Box(32, 44, 22, 16)}),
               Union({Circle(17, 62, 6), Circle(32, 63, 6), Circle(47, 62, 6)})),
      // bat
      Union({Ellipse(32, 32, 9, 14), Circle(32, 19, 7), Polygon({{27, 17}, {30, 8}, {32, 16}}),
             Polygon({{32, 16}, {34, 8}, {37, 17}}),
             Polygon({{30, 28}, {2, 16}, {8, 30}, {4, 44}, {16, 38}, {22, 46}, {30, 38}}),
             Polygon({{34, 28}, {62, 16}, {56, 30}, {60, 44}, {48, 38}, {42, 46}, {34, 38}})}),
      // crab
      Union({Ellipse(32, 38, 20, 13), Circle(10, 18, 8), Circle(54, 18, 8),
             Capsule(18, 34, 10, 22, 3), Capsule(46, 34, 54, 22, 3), PairOfLegs(42, 28, 12, 2.5f),
             PairOfLegs(46, 26, 16, 2.5f), Capsule(26, 26, 24, 18, 2), Capsule(38, 26, 40, 18, 2)}),
      // octopus
      Union({Ellipse(32, 22, 20, 18), Capsule(16, 32, 8, 56, 4), Capsule(25, 34, 22, 60, 4),
             Capsule(39, 34, 42, 60, 4), Capsule(48, 32, 56, 56, 4)}),
      // frog
      Union({Ellipse(32, 38, 24, 16), Circle(20, 22, 8), Circle(44, 22, 8),
             Capsule(12, 48, 4, 58, 4), Capsule(52, 48, 60, 58, 4)}),
      // cat head
      Union({Ellipse(32, 36, 25, 22), Polygon({{8, 30}, {10, 4}, {28, 16}}),
             Polygon({{56, 30}, {54, 4}, {36, 16}})}),
      // skull
      Subtract(Union({Circle(32, 26, 23), Box(32, 48, 14, 11, 4)}),
               Union({Circle(23, 28, 6), Circle(41, 28, 6), Box(32, 52, 1.5f, 8)})),
      // snail
      Union({Circle(38, 30, 20), Capsule(6, 52, 56, 52, 7), Capsule(10, 50, 8, 34, 3)}),
      // jellyfish
      Union({Intersect(Ellipse(32, 28, 26, 22), Box(32, 18, 28, 14)), Capsule(14, 30, 12, 58, 3),
             Capsule(25, 30, 27, 62, 3), Capsule(39, 30, 37, 62, 3), Capsule(50, 30, 52, 58, 3)}),
      // snake
      Union({Capsule(10, 52, 52, 52, 6), Capsule(52, 52, 52, 34, 6), Capsule(52, 34, 14, 34, 6),
             Capsule(14, 34, 14, 16, 6), Ellipse(22, 12, 11, 8)}),
      // rabbit
      Union({Ellipse(32, 46, 18, 16), Circle(32, 26, 12), Capsule(26, 18, 22, 2, 4.5f),
             Capsule(38, 18, 42, 2, 4.5f)}),
      // eye monster
      Union({Circle(32, 28, 20), Capsule(18, 40, 10, 60, 3.5f), Capsule(32, 44, 32, 62, 3.5f),
             Capsule(46, 40, 54, 60, 3.5f), Capsule(14, 22, 2, 12, 3), Capsule(50, 22, 62, 12, 3)}),
      // dragon head-on: wings, horns and a tail
      Union({Ellipse(32, 36, 10, 16), Circle(32, 16, 8), Polygon({{26, 12}, {20, 0}, {30, 9}}),
             Polygon({{38, 12}, {44, 0}, {34, 9}}),
             Polygon({{26, 30}, {2, 14}, {6, 34}, {2, 46}, {26, 42}}),
             Polygon({{38, 30}, {62, 14}, {58, 34}, {62, 46}, {38, 42}}),
             Capsule(32, 50, 40, 62, 3)}),
  };
}

std::vector<Shape> PeopleAndRobots() {
  return {
      // person
      Union({Circle(32, 11, 8), Capsule(32, 24, 32, 38, 9), Capsule(24, 24, 12, 40, 3.5f),
             Capsule(40, 24, 52, 40, 3.5f), Capsule(28, 42, 24, 60, 4.5f),
             Capsule(36, 42, 40, 60, 4.5f)}),
      // robed wizard
      Union({Circle(32, 17, 8), Polygon({{32, 0}, {42, 12}, {22, 12}}),
             Polygon({{24, 24}, {40, 24}, {54, 61}, {10, 61}}), Capsule(26, 30, 12, 40, 3.5f),
             Capsule(12, 20, 12, 62, 2)}),
      // knight
      Union({Box(32, 12, 9, 10, 4), Box(32, 34, 14, 12, 3), Capsule(27, 46, 25, 61, 5),
             Capsule(37, 46, 39, 61, 5),
             Polygon({{42, 26}, {58, 26}, {58, 40}, {50, 50}, {42, 40}}),
             Capsule(14, 44, 14, 8, 2.5f)}),
      // robot
      Union({Box(32, 14, 13, 10, 2), Capsule(32, 4, 32, 0, 1.5f), Circle(32, 2, 3),
             Box(32, 37, 17, 13, 3), Box(10, 36, 4, 12, 2), Box(54, 36, 4, 12, 2),
             Box(24, 56, 6, 7, 1), Box(40, 56, 6, 7, 1)}),
      // round robot on tracks
      Union({Intersect(Circle(32, 30, 20), Box(32, 20, 22, 20)), Box(32, 36, 20, 8, 2),
             Capsule(12, 54, 52, 54, 8), Capsule(32, 10, 32, 3, 1.5f), Circle(32, 3, 3)}),
  };
}

std::vector<Shape> ShipsAndItems() {
  return {
      // fighter
      Polygon(Mirrored({{32, 2}, {26, 22}, {8, 44}, {6, 56}, {24, 50}, {26, 60}})),
      // rocket
      Union({Ellipse(32, 28, 11, 26), Polygon({{22, 38}, {10, 58}, {24, 52}}),
             Polygon({{42, 38}, {54, 58}, {40, 52}}), Box(32, 57, 6, 5)}),
      // saucer
      Union({Ellipse(32, 38, 30, 9), Intersect(Circle(32, 34, 15), Box(32, 24, 16, 12)),
             Capsule(18, 46, 14, 56, 2), Capsule(46, 46, 50, 56, 2)}),
      // sail boat
      Union({Polygon({{2, 44}, {62, 44}, {52, 58}, {12, 58}}),
             Polygon({{34, 4}, {34, 40}, {56, 40}}), Polygon({{30, 10}, {30, 40}, {10, 40}})}),
      // tank
      Union({Capsule(8, 50, 56, 50, 9), Box(32, 38, 22, 6, 2), Circle(30, 28, 11),
             Capsule(36, 26, 60, 20, 3)}),
      // sword
      Union({Polygon({{32, 1}, {37, 8}, {37, 42}, {27, 42}, {27, 8}}), Box(32, 45, 15, 3, 1.5f),
             Box(32, 53, 3.5f, 6), Circle(32, 61, 3.5f)}),
      // shield
      Polygon(Mirrored({{6, 6}, {6, 34}, {14, 48}, {32, 62}})),
      // key
      Union(
          {Ring(Circle(32, 14, 10), 4), Box(32, 40, 4, 18), Box(40, 50, 5, 3), Box(40, 57, 5, 3)}),
      // gem
      Polygon({{16, 8}, {48, 8}, {61, 26}, {32, 60}, {3, 26}}),
      // potion
      Union({Circle(32, 42, 19), Box(32, 16, 7, 12), Box(32, 4, 9, 4, 2)}),
      // coin
      Subtract(Circle(32, 32, 28), Ring(Circle(32, 32, 19), 2)),
      // chest
      Union({Box(32, 42, 27, 16, 2), Intersect(Ellipse(32, 28, 27, 16), Box(32, 20, 27, 10))}),
      // hammer
      Union({Box(32, 14, 22, 9, 2), Box(32, 42, 5, 22, 2)}),
      // crown
      Union({Polygon({{6, 52}, {6, 16}, {19, 32}, {32, 10}, {45, 32}, {58, 16}, {58, 52}}),
             Circle(6, 14, 4), Circle(32, 8, 4), Circle(58, 14, 4)}),
      // axe
      Union({Box(30, 34, 3.5f, 28, 1.5f), Intersect(Circle(46, 18, 18), Box(46, 18, 14, 16))}),
      // helmet
      Subtract(Union({Intersect(Circle(32, 36, 27), Box(32, 26, 30, 22)), Box(32, 50, 27, 10, 3)}),
               Box(32, 40, 14, 4, 1)),
      // submarine
      Union({Capsule(10, 38, 54, 38, 13), Box(30, 20, 8, 8, 2), Capsule(34, 12, 34, 4, 1.5f),
             Polygon({{2, 26}, {8, 38}, {2, 50}})}),
      // castle tower
      Subtract(Union({Box(32, 40, 18, 22), Box(32, 12, 22, 8)}),
               Union({Box(19, 5, 3, 4), Box(32, 5, 3, 4), Box(45, 5, 3, 4),
                      Intersect(Circle(32, 56, 7), Box(32, 60, 7, 9))})),
  };
}

std::vector<Shape> Plants() {
  return {
      // mushroom
      Union({Intersect(Ellipse(32, 32, 30, 26), Box(32, 19, 31, 15)), Box(32, 46, 10, 16, 4)}),
      // round tree
      Union({Circle(32, 22, 19), Circle(18, 32, 13), Circle(46, 32, 13), Box(32, 51, 6, 12)}),
      // pine
      Union({Polygon({{32, 1}, {48, 20}, {16, 20}}), Polygon({{32, 10}, {54, 36}, {10, 36}}),
             Polygon({{32, 22}, {60, 52}, {4, 52}}), Box(32, 57, 5, 6)}),
      // flower
      Union({Circle(32, 12, 7), Circle(22, 20, 7), Circle(42, 20, 7), Circle(25, 31, 7),
             Circle(39, 31, 7), Circle(32, 22, 6), Capsule(32, 34, 32, 62, 2.5f),
             Ellipse(22, 50, 9, 4), Ellipse(42, 46, 9, 4)}),
      // cactus
      Union({Capsule(32, 8, 32, 62, 9), Capsule(14, 22, 14, 38, 5.5f),
             Capsule(14, 38, 26, 38, 5.5f), Capsule(50, 16, 50, 32, 5.5f),
             Capsule(50, 32, 38, 32, 5.5f)}),
      // leaf
      Union({Intersect(Circle(6, 40, 40), Circle(58, 24, 40)), Capsule(10, 58, 18, 50, 2)}),
  };
}

std::vector<Shape> AllShapes() {
  std::vector<Shape> all;
  for (auto group : {Geometric(), Creatures(), PeopleAndRobots(), ShipsAndItems(), Plants()}) {
    all.insert(all.end(), group.begin(), group.end());
  }
  return all;
}

// Red 140 at the outline rising to 255 some pixels in, and falling to 0 some
// pixels out; green and blue stay 0, so no shape cell can look like a stop cell.
Picture ShapeCell(const Shape& shape) {
  Picture cell(kCell, kCell, {0, 0, 0, 255});
  for (int32_t y = 0; y < kCell; ++y) {
    for (int32_t x = 0; x < kCell; ++x) {
      float d = shape(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
      float red = d <= 0 ? 140 + 115 * std::min(1.0f, -d / 7.0f)
                         : 139 * std::max(0.0f, 1 - d / 14.0f) * std::max(0.0f, 1 - d / 14.0f);
      cell.At(x, y) = {std::round(red), 0, 0, 255};
    }
  }
  return cell;
}

}  // namespace

std::vector<Picture> ShapeCells() {
  std::vector<Picture> cells;
  for (const Shape& shape : AllShapes()) cells.push_back(ShapeCell(shape));
  return cells;
}

void SaveSheetWithStopCell(std::vector<Picture> cells, const fs::path& path) {
  if (!Missing(path)) return;
  cells.push_back(Picture(kCell, kCell, kStopCell));
  SavePictureIfMissing(CellSheet(cells, 10, kSheetCells, kAfterStop), path);
}

void MakeShapes(const fs::path& root) {
  if (Missing(root / "Shapes.png")) SaveSheetWithStopCell(ShapeCells(), root / "Shapes.png");
}

}  // namespace data
