// The picture buttons' faces as start-up draws them, and how the buttons show them.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "host/win32/toolkit_bmp.h"
#include "host/win32/toolkit_picture_button.h"
#include "tests/window/window_fixture.h"
#include "window/button_faces.h"
#include "window/handlers.h"

namespace moxun::testing {
namespace {

constexpr Control kButtons[] = {Control::图形按钮选择, Control::图形按钮开始, Control::图形按钮停止};
constexpr std::uint32_t kCut = 0xFF00FF;

std::uint32_t read_u32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

// (layer * alpha + base * (255 - alpha)) / 255 over the black base of a face.
int blended(int layer, int alpha) { return layer * alpha / 255; }

void expect_blend(std::uint32_t pixel, const FaceStyle& style) {
  EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), blended(style.layer.red, style.alpha), 1);
  EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), blended(style.layer.green, style.alpha), 1);
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), blended(style.layer.blue, style.alpha), 1);
}

// What the button draws now, through WM_PRINTCLIENT.
std::uint32_t drawn_pixel(HWND button, int x, int y) {
  HDC screen = GetDC(nullptr);
  BitmapHandle bitmap(CreateCompatibleBitmap(screen, 100, 32));
  MemoryDc dc(CreateCompatibleDC(screen));
  ReleaseDC(nullptr, screen);
  ScopedSelect selected(dc.get(), bitmap.get());
  SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  const COLORREF c = GetPixel(dc.get(), x, y);
  return rgb_pixel(GetRValue(c), GetGValue(c), GetBValue(c));
}

class FacesTest : public WindowTest {};

TEST_F(FacesTest, EveryFaceIsABottomUpBmpOfTheButtonWithSeeThroughCornersAndTheBlendedLayer) {
  HDC screen = GetDC(nullptr);
  const int screen_bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  for (const FaceStyle& style : kFaceStyles) {
    SCOPED_TRACE(std::string(style.face_name) + " " + std::string(style.caption));
    const std::vector<std::uint8_t> bmp =
        picture_button_face_bytes(control(style.button), *face_for_name(style.face_name));
    ASSERT_GE(bmp.size(), 54u);
    // File header and information header.
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(read_u32(bmp, 2), bmp.size());
    EXPECT_EQ(read_u32(bmp, 6), 0u);
    const std::uint32_t offset = read_u32(bmp, 10);
    EXPECT_EQ(read_u32(bmp, 14), 40u);
    EXPECT_EQ(static_cast<std::int32_t>(read_u32(bmp, 18)), 100);
    EXPECT_EQ(static_cast<std::int32_t>(read_u32(bmp, 22)), 32);  // positive: bottom-up
    EXPECT_EQ(bmp[26] | (bmp[27] << 8), 1);
    EXPECT_EQ(bmp[28] | (bmp[29] << 8), screen_bits);
    EXPECT_EQ(read_u32(bmp, 30), 0u);  // no compression
    const std::size_t stride = ((100u * static_cast<std::size_t>(screen_bits) + 31) / 32) * 4;
    EXPECT_EQ(bmp.size(), offset + stride * 32);

    const std::optional<Picture> face = decode_bmp(bmp);
    ASSERT_TRUE(face);
    for (POINT corner : {POINT{0, 0}, POINT{0, 31}, POINT{99, 0}, POINT{99, 31}}) {
      EXPECT_EQ(face->pixel(corner.x, corner.y), kCut);
    }
    // Pixels the caption does not reach: the layer over the black base.
    for (POINT plain : {POINT{1, 0}, POINT{5, 16}, POINT{30, 2}, POINT{98, 31}, POINT{36, 30}}) {
      SCOPED_TRACE(std::to_string(plain.x) + "," + std::to_string(plain.y));
      expect_blend(face->pixel(plain.x, plain.y), style);
    }
    // The caption: glyph pixels differ from the plain blend right of its place, and
    // nothing is drawn left of it.
    int glyph_pixels = 0;
    for (int y = style.text_y; y < 32; ++y) {
      for (int x = style.text_x; x < 99; ++x) {
        const std::uint32_t p = face->pixel(x, y);
        if (std::abs(static_cast<int>((p >> 8) & 0xFF) - blended(style.layer.green, style.alpha)) > 40) ++glyph_pixels;
      }
    }
    EXPECT_GT(glyph_pixels, 20);
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < style.text_x - 1; ++x) {
        if ((x == 0 || x == 99) && (y == 0 || y == 31)) continue;
        ASSERT_NO_FATAL_FAILURE(expect_blend(face->pixel(x, y), style)) << x << "," << y;
      }
    }
  }
}

TEST_F(FacesTest, TheLayerCoversTheBaseMoreOnHoverAndMostWhenPressed) {
  for (Control button : kButtons) {
    SCOPED_TRACE(static_cast<int>(button));
    auto red_at = [&](Face face) {
      return (decode_bmp(picture_button_face_bytes(control(button), face))->pixel(5, 16) >> 16) & 0xFF;
    };
    EXPECT_LT(red_at(Face::normal), red_at(Face::hover));
    EXPECT_LT(red_at(Face::hover), red_at(Face::pressed));
  }
}

TEST_F(FacesTest, TheShapeLacksExactlyTheTransparentPixelsOfTheShownFace) {
  for (Control button : kButtons) {
    SCOPED_TRACE(static_cast<int>(button));
    HWND hwnd = control(button);
    EXPECT_EQ(toolkit_->button_transparent_colour(button), (Colour{255, 0, 255}));
    RegionHandle shape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(hwnd, shape.get()), ERROR);
    for (POINT corner : {POINT{0, 0}, POINT{0, 31}, POINT{99, 0}, POINT{99, 31}}) {
      EXPECT_FALSE(PtInRegion(shape.get(), corner.x, corner.y));
    }
    for (POINT inside : {POINT{1, 0}, POINT{0, 1}, POINT{50, 16}, POINT{98, 31}}) {
      EXPECT_TRUE(PtInRegion(shape.get(), inside.x, inside.y));
    }
  }
}

TEST_F(FacesTest, HoverAndPressShowTheirFacesAndAClickFiresOnReleaseInside) {
  HWND choose = control(Control::图形按钮选择);
  ASSERT_EQ(picture_button_shown_face(choose), Face::normal);
  SendMessageW(choose, WM_MOUSEMOVE, 0, MAKELPARAM(50, 16));
  EXPECT_EQ(picture_button_shown_face(choose), Face::hover);
  SendMessageW(choose, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 16));
  EXPECT_EQ(picture_button_shown_face(choose), Face::pressed);
  EXPECT_EQ(GetCapture(), choose);
  // Dragged off the button while held: the normal face, and no click on release.
  SendMessageW(choose, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 16));
  EXPECT_EQ(picture_button_shown_face(choose), Face::normal);
  SendMessageW(choose, WM_LBUTTONUP, 0, MAKELPARAM(150, 16));
  pump();
  EXPECT_TRUE(shell_.prompts.empty());
  // Pressed and released inside: one click.
  post_click(choose, POINT{50, 16});
  pump();
  EXPECT_EQ(shell_.prompts, std::vector<std::string>{kFolderPrompt});
  EXPECT_EQ(picture_button_shown_face(choose), Face::hover);
  SendMessageW(choose, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(picture_button_shown_face(choose), Face::normal);
}

TEST_F(FacesTest, ADisabledButtonDrawsItsNormalFaceAndIgnoresClicks) {
  HWND choose = control(Control::图形按钮选择);
  const std::uint32_t normal = decode_bmp(picture_button_face_bytes(choose, Face::normal))->pixel(5, 16);
  toolkit_->set_disabled(Control::图形按钮选择, true);
  SendMessageW(choose, WM_MOUSEMOVE, 0, MAKELPARAM(50, 16));
  SendMessageW(choose, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 16));
  EXPECT_EQ(picture_button_shown_face(choose), Face::normal);
  EXPECT_EQ(drawn_pixel(choose, 5, 16), normal);
  SendMessageW(choose, WM_LBUTTONUP, 0, MAKELPARAM(50, 16));
  pump();
  EXPECT_TRUE(shell_.prompts.empty());
  toolkit_->set_disabled(Control::图形按钮选择, false);
  EXPECT_EQ(drawn_pixel(choose, 5, 16), normal);
}

TEST_F(FacesTest, AnUnknownFaceNameLeavesTheFacesUnchanged) {
  const std::vector<std::uint8_t> before[] = {
      picture_button_face_bytes(control(Control::图形按钮开始), Face::normal),
      picture_button_face_bytes(control(Control::图形按钮开始), Face::hover),
      picture_button_face_bytes(control(Control::图形按钮开始), Face::pressed)};
  FaceStyle odd = kFaceStyles[3];
  odd.face_name = "禁止";
  odd.layer = Colour{0, 0, 255};
  load_face_background(*toolkit_);
  render_button_face(*toolkit_, odd);
  release_face_background();
  EXPECT_EQ(picture_button_face_bytes(control(Control::图形按钮开始), Face::normal), before[0]);
  EXPECT_EQ(picture_button_face_bytes(control(Control::图形按钮开始), Face::hover), before[1]);
  EXPECT_EQ(picture_button_face_bytes(control(Control::图形按钮开始), Face::pressed), before[2]);
}

}  // namespace
}  // namespace moxun::testing
