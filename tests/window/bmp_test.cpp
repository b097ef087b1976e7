// BMP encoding of bitmaps and decoding of BMP bytes, across bit depths and row
// widths that need padding.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "host/win32/toolkit_bmp.h"

namespace moxun::testing {
namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

// A bitmap whose top row is red and whose other rows are blue (grey levels of a
// palette for 8 bits and fewer: white on top, black below).
BitmapHandle two_colour_bitmap(int width, int height, int bits) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = -height;  // top-down, so row 0 is the top
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;
  if (bits <= 8) {
    for (int i = 0; i < (1 << bits); ++i) {
      const auto level = static_cast<BYTE>(i == 0 ? 0 : 255);
      info.colours[i] = RGBQUAD{level, level, level, 0};
    }
  }
  void* bits_out = nullptr;
  BitmapHandle bitmap(
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits_out, nullptr, 0));
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap.get());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF colour = bits <= 8 ? (y == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0))
                                        : (y == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255));
      SetPixel(dc, x, y, colour);
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

struct EncodeCase {
  int bits;
  int width;
  int height;
  std::size_t table_bytes;
  std::size_t row_bytes;
};

TEST(Bmp, EncodesHeadersATableOnlyUpToEightBitsAndPaddedBottomUpRows) {
  const EncodeCase cases[] = {
      {1, 5, 2, 8, 4},        {4, 3, 2, 64, 4},        {8, 5, 3, 1024, 8},
      {24, 3, 2, 0, 12},      {24, 4, 2, 0, 12},       {32, 3, 3, 0, 12},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, " + std::to_string(c.width) + " wide");
    BitmapHandle bitmap = two_colour_bitmap(c.width, c.height, c.bits);
    const std::vector<std::uint8_t> bmp = encode_bmp(bitmap.get());
    const std::size_t offset = 14 + 40 + c.table_bytes;
    ASSERT_EQ(bmp.size(), offset + c.row_bytes * static_cast<std::size_t>(c.height));
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(u32(bmp, 2), bmp.size());
    EXPECT_EQ(u32(bmp, 6), 0u);
    EXPECT_EQ(u32(bmp, 10), offset);
    EXPECT_EQ(u32(bmp, 14), 40u);
    EXPECT_EQ(static_cast<int>(u32(bmp, 18)), c.width);
    EXPECT_EQ(static_cast<int>(u32(bmp, 22)), c.height);
    EXPECT_EQ(bmp[26], 1);
    EXPECT_EQ(bmp[28], c.bits);
    EXPECT_EQ(u32(bmp, 30), static_cast<std::uint32_t>(BI_RGB));
    // Bottom-up: the last row of the file is the top (red / white) row.
    const std::size_t top_row = offset + c.row_bytes * static_cast<std::size_t>(c.height - 1);
    if (c.bits >= 24) {
      EXPECT_EQ(bmp[top_row + 2], 255);  // red, stored as blue, green, red
      EXPECT_EQ(bmp[top_row + 0], 0);
      EXPECT_EQ(bmp[offset + 0], 255);   // the bottom row is blue
      EXPECT_EQ(bmp[offset + 2], 0);
    }
    const std::optional<Picture> back = decode_bmp(bmp);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, c.width);
    EXPECT_EQ(back->height, c.height);
    const std::uint32_t top = c.bits <= 8 ? 0xFFFFFF : 0xFF0000;
    const std::uint32_t below = c.bits <= 8 ? 0x000000 : 0x0000FF;
    for (int x = 0; x < c.width; ++x) {
      EXPECT_EQ(back->pixel(x, 0), top) << x;
      EXPECT_EQ(back->pixel(x, c.height - 1), below) << x;
    }
  }
}

TEST(Bmp, BytesThatAreNoBitmapDecodeToNothing) {
  BitmapHandle bitmap = two_colour_bitmap(4, 4, 32);
  const std::vector<std::uint8_t> good = encode_bmp(bitmap.get());
  std::vector<std::uint8_t> wrong_magic = good;
  wrong_magic[0] = 'X';
  const std::vector<std::uint8_t> cut_short(good.begin(), good.end() - 1);
  const std::vector<std::uint8_t> header_only(good.begin(), good.begin() + 54);
  for (const auto& bytes : {std::vector<std::uint8_t>{}, wrong_magic, cut_short, header_only}) {
    EXPECT_FALSE(decode_bmp(bytes));
  }
  EXPECT_TRUE(decode_bmp(good));
}

}  // namespace
}  // namespace moxun::testing
