// Pictures as the bytes of a BMP file, to and from GDI bitmaps.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "host/win32/toolkit_handles.h"

namespace moxun {

// The bitmap as a BMP file: the 14-byte file header, the 40-byte information header
// (positive height, so rows run bottom-up; one plane; the bitmap's own bits per pixel;
// no compression), a colour table only for 8 bits per pixel or fewer, then the pixel
// rows, each padded to a multiple of 4 bytes. The bitmap must not be selected into a
// drawing context. Empty when the bitmap's bits cannot be had.
std::vector<std::uint8_t> encode_bmp(HBITMAP bitmap);

// A decoded picture: a 32-bit top-down bitmap for drawing and its pixels as
// 0x00RRGGBB, row by row from the top.
struct Picture {
  BitmapHandle bitmap;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t pixel(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

// Nothing when the bytes are no BMP file that GDI can read.
std::optional<Picture> decode_bmp(std::span<const std::uint8_t> bytes);

inline std::uint32_t rgb_pixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
}

}  // namespace moxun
