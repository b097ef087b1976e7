#include "host/win32/toolkit_bmp.h"

#include <algorithm>
#include <cstring>

namespace moxun {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

// A BITMAPINFO with room for the largest colour table (256 entries).
struct InfoWithTable {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

void put_u16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put_u32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  put_u16(out, at, value & 0xFFFF);
  put_u16(out, at + 2, value >> 16);
}

std::uint32_t get_u32(std::span<const std::uint8_t> in, std::size_t at) {
  return std::uint32_t{in[at]} | (std::uint32_t{in[at + 1]} << 8) | (std::uint32_t{in[at + 2]} << 16) |
         (std::uint32_t{in[at + 3]} << 24);
}

std::size_t row_bytes(int width, int bits_per_pixel) {
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits_per_pixel) + 31) / 32) * 4;
}

}  // namespace

std::vector<std::uint8_t> encode_bmp(HBITMAP bitmap) {
  BITMAP description{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof description, &description) == 0) return {};
  const int width = description.bmWidth;
  const int height = description.bmHeight < 0 ? -description.bmHeight : description.bmHeight;
  const int bits = description.bmBitsPixel * description.bmPlanes;
  const std::size_t table_entries = bits <= 8 ? (std::size_t{1} << bits) : 0;
  const std::size_t table_size = table_entries * sizeof(RGBQUAD);
  const std::size_t stride = row_bytes(width, bits);
  const std::size_t image_size = stride * static_cast<std::size_t>(height);
  const std::size_t pixel_offset = kFileHeaderSize + kInfoHeaderSize + table_size;

  InfoWithTable info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;

  std::vector<std::uint8_t> file(pixel_offset + image_size);
  ScreenDc screen(GetDC(nullptr));
  if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), file.data() + pixel_offset,
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0) {
    return {};
  }

  file[0] = 'B';
  file[1] = 'M';
  put_u32(file, 2, static_cast<std::uint32_t>(file.size()));
  put_u32(file, 6, 0);  // the two reserved words
  put_u32(file, 10, static_cast<std::uint32_t>(pixel_offset));

  std::size_t at = kFileHeaderSize;
  put_u32(file, at + 0, static_cast<std::uint32_t>(kInfoHeaderSize));
  put_u32(file, at + 4, static_cast<std::uint32_t>(width));
  put_u32(file, at + 8, static_cast<std::uint32_t>(height));
  put_u16(file, at + 12, 1);
  put_u16(file, at + 14, static_cast<std::uint32_t>(bits));
  put_u32(file, at + 16, BI_RGB);
  put_u32(file, at + 20, static_cast<std::uint32_t>(image_size));
  put_u32(file, at + 24, 0);
  put_u32(file, at + 28, 0);
  put_u32(file, at + 32, 0);
  put_u32(file, at + 36, 0);
  if (table_size > 0) std::memcpy(file.data() + kFileHeaderSize + kInfoHeaderSize, info.colours, table_size);
  return file;
}

std::optional<Picture> decode_bmp(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const std::size_t pixel_offset = get_u32(bytes, 10);
  const std::size_t header_size = get_u32(bytes, kFileHeaderSize);
  if (header_size < kInfoHeaderSize || kFileHeaderSize + header_size > bytes.size()) return std::nullopt;

  // The header is copied out: the bytes need not be aligned for BITMAPINFOHEADER.
  InfoWithTable info{};
  const std::size_t table_room = std::min(pixel_offset, bytes.size()) > kFileHeaderSize + kInfoHeaderSize
                                     ? std::min(pixel_offset, bytes.size()) - kFileHeaderSize - kInfoHeaderSize
                                     : 0;
  std::memcpy(&info.header, bytes.data() + kFileHeaderSize, kInfoHeaderSize);
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  std::memcpy(info.colours, bytes.data() + kFileHeaderSize + kInfoHeaderSize,
              std::min(table_room, sizeof info.colours));

  const int width = info.header.biWidth;
  const int height = info.header.biHeight < 0 ? -info.header.biHeight : info.header.biHeight;
  if (width <= 0 || height <= 0 || info.header.biBitCount == 0) return std::nullopt;
  if (info.header.biCompression == BI_RGB || info.header.biCompression == BI_BITFIELDS) {
    const std::size_t needed = row_bytes(width, info.header.biBitCount) * static_cast<std::size_t>(height);
    if (pixel_offset > bytes.size() || bytes.size() - pixel_offset < needed) return std::nullopt;
  } else if (pixel_offset >= bytes.size()) {
    return std::nullopt;
  }

  BITMAPINFO target{};
  target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  target.bmiHeader.biWidth = width;
  target.bmiHeader.biHeight = -height;
  target.bmiHeader.biPlanes = 1;
  target.bmiHeader.biBitCount = 32;
  target.bmiHeader.biCompression = BI_RGB;
  void* target_bits = nullptr;
  ScreenDc screen(GetDC(nullptr));
  Picture picture;
  picture.bitmap.reset(CreateDIBSection(screen.get(), &target, DIB_RGB_COLORS, &target_bits, nullptr, 0));
  if (!picture.bitmap || target_bits == nullptr) return std::nullopt;
  if (SetDIBits(screen.get(), picture.bitmap.get(), 0, static_cast<UINT>(height), bytes.data() + pixel_offset,
                reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0) {
    return std::nullopt;
  }
  GdiFlush();
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const auto* source = static_cast<const std::uint32_t*>(target_bits);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = source[i] & 0x00FFFFFF;
  return picture;
}

}  // namespace moxun
