#include "window/button_faces.h"

#include <windows.h>

#include <vector>

#include "host/win32/toolkit_bmp.h"
#include "host/win32/toolkit_handles.h"
#include "host/win32/wide.h"

namespace moxun {

namespace {

// The drawing source of the renderings, alive from load_face_background to
// release_face_background.
struct FaceBackground {
  BitmapHandle copy;  // none when the window has no background picture
  MemoryDc surface;
  HGDIOBJ previous = nullptr;
};

FaceBackground& face_background() {
  static FaceBackground background;
  return background;
}

COLORREF colour_ref(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }

}  // namespace

std::optional<Face> face_for_name(std::string_view face_name) {
  if (face_name == "正常") return Face::normal;
  if (face_name == "点燃") return Face::hover;
  if (face_name == "按下") return Face::pressed;
  return std::nullopt;
}

void load_face_background(WindowToolkit& window) {
  FaceBackground& background = face_background();
  const std::string bytes = window.background_picture();
  // Empty bytes give an empty picture: no bitmap to copy.
  if (!bytes.empty()) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (std::optional<Picture> picture = decode_bmp({data, bytes.size()})) background.copy = std::move(picture->bitmap);
  }
  ScreenDc screen(GetDC(nullptr));
  background.surface.reset(CreateCompatibleDC(screen.get()));
  background.previous =
      background.copy && background.surface ? SelectObject(background.surface.get(), background.copy.get()) : nullptr;
}

void render_button_face(WindowToolkit& window, const FaceStyle& style) {
  const FaceBackground& background = face_background();
  const Bounds bounds = window.control_bounds(style.button);
  const int w = bounds.width;
  const int h = bounds.height;

  ScreenDc screen(GetDC(nullptr));
  // The face bitmap is not filled: where the background has no pixels its initial
  // (black) content is the base that the layer is blended over.
  BitmapHandle face_bitmap(CreateCompatibleBitmap(screen.get(), w, h));
  MemoryDc face_surface(CreateCompatibleDC(screen.get()));
  ScopedSelect face_selected(face_surface.get(), face_bitmap.get());
  BitmapHandle layer_bitmap(CreateCompatibleBitmap(screen.get(), w, h));
  MemoryDc layer_surface(CreateCompatibleDC(screen.get()));
  ScopedSelect layer_selected(layer_surface.get(), layer_bitmap.get());

  // Crop: the button's own left and top, relative to its frame, are taken as they are
  // as coordinates in the background picture.
  BitBlt(face_surface.get(), 0, 0, w, h, background.surface.get(), bounds.left, bounds.top, SRCCOPY);

  RECT whole{0, 0, w, h};
  BrushHandle layer_brush(CreateSolidBrush(colour_ref(style.layer)));
  FillRect(layer_surface.get(), &whole, layer_brush.get());

  // Constant alpha, no per-pixel alpha: channel = (layer * a + face * (255 - a)) / 255.
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(style.alpha), 0};
  AlphaBlend(face_surface.get(), 0, 0, w, h, layer_surface.get(), 0, 0, w, h, blend);

  {
    ScopedSelect font(face_surface.get(), GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(face_surface.get(), colour_ref(style.text));
    SetBkMode(face_surface.get(), TRANSPARENT);
    const std::wstring caption = to_wide(style.caption);
    TextOutW(face_surface.get(), style.text_x, style.text_y, caption.c_str(), static_cast<int>(caption.size()));
  }

  if (std::optional<Colour> cut = window.button_transparent_colour(style.button)) {
    const COLORREF colour = colour_ref(*cut);
    SetPixel(face_surface.get(), 0, 0, colour);
    SetPixel(face_surface.get(), 0, h - 1, colour);
    SetPixel(face_surface.get(), w - 1, 0, colour);
    SetPixel(face_surface.get(), w - 1, h - 1, colour);
  }

  layer_selected.restore();
  face_selected.restore();
  const std::vector<std::uint8_t> bmp = encode_bmp(face_bitmap.get());
  if (std::optional<Face> face = face_for_name(style.face_name)) window.set_button_face(style.button, *face, bmp);
}

void release_face_background() {
  FaceBackground& background = face_background();
  if (background.previous != nullptr) SelectObject(background.surface.get(), background.previous);
  background.previous = nullptr;
  background.surface.reset();
  background.copy.reset();
}

}  // namespace moxun
