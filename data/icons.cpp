// icons.png: 64 cells of 16 x 16, eight to a row. The engine tints them with
// the drawing colour, so they are drawn light on the black mask colour.
#include "data.h"

namespace data {

namespace {

const Colour kWhite = {255, 255, 255, 255};
const Colour kLight = {200, 200, 200, 255};
const Colour kMid = {130, 130, 130, 255};

struct Icon {
  int32_t frame;
  std::vector<std::pair<Shape, Colour>> layers;  // painted in order
};

Shape Speaker() { return Union({Box(3.5f, 8, 2, 2.5f), Polygon({{3.5f, 8}, {8, 3}, {8, 13}})}); }

Shape Waves(int32_t count) {
  std::vector<Shape> arcs;
  for (int32_t i = 0; i < count; ++i) {
    float radius = 3.5f + 2.5f * static_cast<float>(i);
    arcs.push_back(Intersect(Ring(Circle(7, 8, radius), 0.7f), Box(14, 8, 5, 7)));
  }
  return Union(arcs);
}

Shape FilmStrip(float left, float right) {
  float mid = (left + right) / 2, half = (right - left) / 2;
  return Subtract(Box(mid, 8, half, 6, 1),
                  Union({Box(mid, 8, half - 1.5f, 3), Box(mid, 2.8f, half, 0.6f),
                         Box(mid, 13.2f, half, 0.6f)}));
}

std::vector<Icon> AllIcons() {
  return {
      {0, {{Star(8, 8.5f, 5, 7, 3), kWhite}}},
      {3,  // key box: a key cap seen from above
       {{Box(8, 8, 7, 7, 2.5f), kMid}, {Box(8, 7.2f, 5.3f, 5.3f, 1.8f), kWhite}}},
      {7, {{Circle(8, 8, 4.5f), kWhite}}},  // graph point
      {8,                                   // hat: a direction pad
       {{Union({Box(8, 8, 2.5f, 7, 1), Box(8, 8, 7, 2.5f, 1)}), kLight},
        {Circle(8, 8, 1.3f), kMid}}},
      {9,  // axis: a stick on its base
       {{Ellipse(8, 13, 7, 2.5f), kMid},
        {Capsule(8, 12, 8, 5, 1.3f), kLight},
        {Circle(8, 4.5f, 3.2f), kWhite}}},
      {10, {{Circle(8, 8, 6.5f), kMid}, {Circle(8, 7.3f, 5), kWhite}}},  // joystick button
      {13,                                                               // windowed
       {{Subtract(Box(8, 8.5f, 7, 6, 1), Box(8, 10, 5.5f, 3.6f)), kWhite}}},
      {14,  // full screen: corners pushed outward
       {{Union({Polygon({{0.5f, 0.5f}, {6, 0.5f}, {0.5f, 6}}),
                Polygon({{15.5f, 0.5f}, {10, 0.5f}, {15.5f, 6}}),
                Polygon({{0.5f, 15.5f}, {6, 15.5f}, {0.5f, 10}}),
                Polygon({{15.5f, 15.5f}, {10, 15.5f}, {15.5f, 10}}), Box(8, 8, 3.5f, 3.5f)}),
         kWhite}}},
      {18, {{FilmStrip(0.5f, 15.5f), kWhite}}},  // all frames
      {19,                                       // frame skipping: a strip with a gap
       {{FilmStrip(0.5f, 6.5f), kWhite},
        {FilmStrip(10, 15.5f), kWhite},
        {Polygon({{6.5f, 5.5f}, {10.5f, 8}, {6.5f, 10.5f}}), kLight}}},
      {21, {{Capsule(3.5f, 8, 20, 8, 3), kLight}}},   // slider bar, left half
      {22, {{Capsule(-4, 8, 12.5f, 8, 3), kLight}}},  // slider bar, right half
      {23, {{Box(8, 8, 3, 7.5f, 1.5f), kWhite}}},     // slider knob
      {24, {{Speaker(), kWhite}, {Waves(3), kLight}}},
      {25, {{Speaker(), kWhite}, {Waves(2), kLight}}},
      {26,
       {{Speaker(), kWhite},
        {Union({Circle(11, 12, 2), Capsule(12.6f, 12, 12.6f, 3, 0.7f),
                Capsule(12.6f, 3, 15, 5, 0.7f)}),
         kLight}}},
      {27,  // headphones
       {{Intersect(Ring(Circle(8, 9, 6), 1), Box(8, 5, 8, 6)), kLight},
        {Box(2.5f, 11, 1.8f, 3, 1), kWhite},
        {Box(13.5f, 11, 1.8f, 3, 1), kWhite}}},
      {28, {{Speaker(), kWhite}, {Waves(1), kLight}}},
      {29,  // silent
       {{Speaker(), kWhite},
        {Union({Capsule(10, 5, 15, 11, 0.9f), Capsule(15, 5, 10, 11, 0.9f)}), kLight}}},
      {63,  // pointer, tip on the top-left pixel
       {{Polygon({{0.6f, 0.6f},
                  {0.6f, 12},
                  {3.5f, 9.5f},
                  {5.8f, 14.5f},
                  {7.8f, 13.6f},
                  {5.6f, 8.8f},
                  {9.5f, 8.8f}}),
         kWhite}}},
  };
}

}  // namespace

Picture IconSheet() {
  Picture sheet(128, 128);
  for (const Icon& icon : AllIcons()) {
    int32_t x = (icon.frame % 8) * 16, y = (icon.frame / 8) * 16;
    for (size_t i = 0; i < icon.layers.size(); ++i) {
      // Only the first layer carries the outline, so inner details stay clean.
      DrawShape(sheet, x, y, 16, 16, icon.layers[i].first, icon.layers[i].second,
                i == 0 ? 1.0f : 0);
    }
  }
  // The pointer's tip pixel itself must show, outline or not.
  sheet.At(7 * 16, 7 * 16) = kWhite;
  return sheet;
}

void MakeIcons(const fs::path& common) {
  if (Missing(common / "icons.png")) SavePictureIfMissing(IconSheet(), common / "icons.png");
}

}  // namespace data
