#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "player/engine/geometry.h"
#include "player/render/tests/raster_fixture.h"
#include "player/render/tests/shape_fixture.h"
#include "tools/lmrc/lib/jpeg_split.h"

namespace lmr::test {
namespace {

// 16 x 16 pixels in four quadrants of 8 x 8.
constexpr Rgb kQuadrants[2][2] = {{{220, 30, 30}, {30, 200, 40}}, {{30, 40, 220}, {230, 230, 230}}};

enc::JpegParts QuadrantJpeg() {
  enc::RgbPicture p;
  p.width = p.height = 16;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const Rgb c = kQuadrants[y / 8][x / 8];
      p.rgb.insert(p.rgb.end(), {static_cast<uint8_t>(c.red), static_cast<uint8_t>(c.green),
                                 static_cast<uint8_t>(c.blue)});
    }
  }
  return enc::splitJpeg(enc::compressJpeg(p, 95));
}

// Movie units are twentieths of a pixel. A square from 10 to 1290 (half a
// pixel to 64.5 pixels) filled with bitmap `id`, scaled so that each bitmap
// pixel covers 4 x 4 device pixels.
Bytes BitmapSquareMovie(const std::vector<Bytes>& definitions, uint16_t id) {
  enc::ShapeBody body;
  enc::FillStyleDef bitmap;
  bitmap.type = enc::FillTypeBitmap;
  bitmap.bitmapId = id;
  bitmap.matrix.m = matrixScale(80 * FixedOne, 80 * FixedOne);
  body.fills.push_back(bitmap);
  AddSquare(body, 10, 10, 1280, 1);
  std::vector<Bytes> tags = definitions;
  tags.push_back(ShapeTag(2, Rect{10, 1290, 10, 1290}, body));
  tags.push_back(PlaceTag(2, 1));
  return MovieFile(tags);
}

bool Near(const Rgb& p, const Rgb& q, int tolerance) {
  return std::abs(p.red - q.red) <= tolerance && std::abs(p.green - q.green) <= tolerance &&
         std::abs(p.blue - q.blue) <= tolerance;
}

TEST(BitmapFillRender, MovieWithAJpegFillShowsTheImage) {
  const enc::JpegParts jpeg = QuadrantJpeg();
  const Bytes setup = Tag(enc::TagJpegSetup, jpeg.tables);
  const Bytes image = Tag(enc::TagJpegImage, enc::jpegImageBody(1, jpeg.image));
  const Rgb red{255, 0, 0};
  struct Case {
    const char* name;
    std::vector<Bytes> definitions;
    uint16_t fillId;
    bool showsImage;  // else the fallback red
  };
  const Case cases[] = {
      {"decoded image", {setup, image}, 1, true},
      {"id of no character", {setup, image}, 9, false},
      {"image tag before any setup defines nothing", {image, setup}, 1, false},
      {"undecodable image", {setup, Tag(enc::TagJpegImage, enc::jpegImageBody(1, {0xFF, 0xD8, 0x00}))}, 1, false},
  };
  for (const Case& c : cases) {
    for (bool antialias : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (antialias ? ", antialiased (smooth bitmaps)" : ", pixels"));
      ShapeStage stage(BitmapSquareMovie(c.definitions, c.fillId));
      TestTarget target(Format32, 70, 70);
      stage.list.setOffscreen(&target.offscreen);
      const Fixed scale = (antialias ? 4 : 1) * FixedOne / 20;
      stage.list.applyView(matrixScale(scale, scale), antialias);
      stage.list.render();
      // Quadrant centres, well inside each 32 x 32 block.
      for (int32_t qy = 0; qy < 2; ++qy) {
        for (int32_t qx = 0; qx < 2; ++qx) {
          const Rgb shown = target.pixel(16 + 32 * qx, 16 + 32 * qy);
          const Rgb want = c.showsImage ? kQuadrants[qy][qx] : red;
          EXPECT_TRUE(Near(shown, want, c.showsImage ? 24 : 0))
              << "quadrant " << qx << ", " << qy << ": (" << shown.red << ", " << shown.green << ", "
              << shown.blue << ")";
        }
      }
      if (antialias) {
        // Column 0 is half covered: half the sample, half white (nothing
        // was drawn before).
        const Rgb edge = target.pixel(0, 16);
        const Rgb inside = c.showsImage ? kQuadrants[0][0] : red;
        const Rgb want{(inside.red + 255) / 2, (inside.green + 255) / 2, (inside.blue + 255) / 2};
        EXPECT_TRUE(Near(edge, want, c.showsImage ? 16 : 1))
            << "edge (" << edge.red << ", " << edge.green << ", " << edge.blue << ")";
      }
    }
  }
}

// Fill records of placed shapes point at their bitmap's image and rows. A
// movie that drops the bitmap and defines another one (which takes the
// freed record) must not leave those fills reading freed pixels
// (AddressSanitizer) when the shape is drawn again: the shape now shows
// the fallback red.
TEST(BitmapFillRender, DroppingTheBitmapOfAPlacedShape) {
  const enc::JpegParts jpeg = QuadrantJpeg();
  const Bytes setup = Tag(enc::TagJpegSetup, jpeg.tables);
  enc::BitWriter drop;
  drop.u16(1);
  // A second shape with a fill of the new bitmap 5, off to the side,
  // decodes it; its bounds are wide so that the first square is drawn
  // again around it.
  enc::ShapeBody other;
  enc::FillStyleDef fill;
  fill.type = enc::FillTypeBitmap;
  fill.bitmapId = 5;
  other.fills.push_back(fill);
  AddSquare(other, 1300, 10, 20, 1);
  const std::vector<Bytes> frame1 = {Tag(enc::TagDropCharacter, drop.bytes),
                                     Tag(enc::TagJpegImage, enc::jpegImageBody(5, jpeg.image)),
                                     ShapeTag(6, Rect{0, 1400, 0, 1400}, other), PlaceTag(6, 2)};
  // Frame 0: the bitmap square of BitmapSquareMovie; frame 1 as above.
  std::vector<Bytes> tags = {setup, Tag(enc::TagJpegImage, enc::jpegImageBody(1, jpeg.image))};
  enc::ShapeBody body;
  enc::FillStyleDef bitmap;
  bitmap.type = enc::FillTypeBitmap;
  bitmap.bitmapId = 1;
  bitmap.matrix.m = matrixScale(80 * FixedOne, 80 * FixedOne);
  body.fills.push_back(bitmap);
  AddSquare(body, 10, 10, 1280, 1);
  tags.push_back(ShapeTag(2, Rect{10, 1290, 10, 1290}, body));
  tags.push_back(PlaceTag(2, 1));
  tags.push_back(Tag(enc::TagFrame, {}));
  tags.insert(tags.end(), frame1.begin(), frame1.end());

  ShapeStage stage(MovieFile(tags));
  TestTarget target(Format32, 70, 70);
  stage.list.setOffscreen(&target.offscreen);
  stage.list.applyView(matrixScale(FixedOne / 20, FixedOne / 20), false);
  stage.list.render();
  EXPECT_TRUE(Near(target.pixel(16, 16), kQuadrants[0][0], 24));
  ASSERT_EQ(stage.movie.seekFrame(1), ResultOk);
  stage.list.render();
  EXPECT_EQ(target.pixel(16, 16), (Rgb{255, 0, 0}));
}

}  // namespace
}  // namespace lmr::test
