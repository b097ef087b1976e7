#include "host/win32/toolkit_picture_button.h"

#include <windowsx.h>

#include <array>
#include <cstring>

#include "host/win32/toolkit_bmp.h"
#include "host/win32/toolkit_guard.h"
#include "host/win32/toolkit_handles.h"

namespace moxun {

namespace {

class PictureButton {
 public:
  explicit PictureButton(HWND hwnd) : hwnd_(hwnd) {}

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static PictureButton* of(HWND hwnd) {
    wchar_t name[64] = {};
    if (hwnd == nullptr || GetClassNameW(hwnd, name, 64) == 0 || lstrcmpiW(name, kPictureButtonClass) != 0) {
      return nullptr;
    }
    return reinterpret_cast<PictureButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }

  void set_face(Face face, std::span<const std::uint8_t> bmp);
  void set_transparent_colour(std::optional<Colour> colour);
  std::optional<Colour> transparent_colour() const { return transparent_; }
  std::vector<std::uint8_t> face_bytes(Face face) const {
    const auto& slot = faces_[index(face)];
    return slot ? slot->bytes : std::vector<std::uint8_t>{};
  }
  Face shown_face() const { return shown_; }

 private:
  struct FaceData {
    std::vector<std::uint8_t> bytes;
    Picture picture;
  };

  static std::size_t index(Face face) { return static_cast<std::size_t>(face); }

  LRESULT dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  void on_paint();
  void draw(HDC dc) const;
  void on_mouse_move(POINT point);
  void on_mouse_leave();
  void on_button_down(POINT point);
  void on_button_up(POINT point);
  void on_capture_lost();
  void on_enable(bool enabled);

  bool contains(POINT point) const;
  Face wanted_face() const;
  void show_wanted_face(bool force);
  void apply_region() const;

  HWND hwnd_;
  std::array<std::optional<FaceData>, 3> faces_;
  std::optional<Colour> transparent_;
  bool hovering_ = false;
  bool held_ = false;
  bool tracking_leave_ = false;
  Face shown_ = Face::normal;
};

LRESULT CALLBACK PictureButton::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return without_exceptions([&]() -> LRESULT {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PictureButton(hwnd)));
    }
    auto* button = reinterpret_cast<PictureButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (button == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete button;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    return button->dispatch(message, wparam, lparam);
  });
}

LRESULT PictureButton::dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  const bool mouse_message = message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
                             message == WM_MOUSELEAVE;
  // A disabled button ignores input; only posted messages can reach it here.
  if (mouse_message && !IsWindowEnabled(hwnd_)) return 0;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the face covers the whole shape
    case WM_PAINT:
      on_paint();
      return 0;
    case WM_PRINTCLIENT:
      draw(reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_MOUSEMOVE:
      on_mouse_move(point);
      return 0;
    case WM_MOUSELEAVE:
      on_mouse_leave();
      return 0;
    case WM_LBUTTONDOWN:
      on_button_down(point);
      return 0;
    case WM_LBUTTONUP:
      on_button_up(point);
      return 0;
    case WM_CAPTURECHANGED:
      on_capture_lost();
      return 0;
    case WM_ENABLE:
      on_enable(wparam != FALSE);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

void PictureButton::set_face(Face face, std::span<const std::uint8_t> bmp) {
  std::optional<Picture> picture = decode_bmp(bmp);
  auto& slot = faces_[index(face)];
  if (picture) {
    slot = FaceData{std::vector<std::uint8_t>(bmp.begin(), bmp.end()), std::move(*picture)};
  } else {
    slot.reset();
  }
  show_wanted_face(true);
}

void PictureButton::set_transparent_colour(std::optional<Colour> colour) {
  transparent_ = colour;
  show_wanted_face(true);
}

void PictureButton::on_paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd_, &paint);
  draw(dc);
  EndPaint(hwnd_, &paint);
}

void PictureButton::draw(HDC dc) const {
  RECT area{};
  GetClientRect(hwnd_, &area);
  const auto& face = faces_[index(shown_)];
  if (!face) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  MemoryDc source(CreateCompatibleDC(dc));
  ScopedSelect selected(source.get(), face->picture.bitmap.get());
  BitBlt(dc, 0, 0, face->picture.width, face->picture.height, source.get(), 0, 0, SRCCOPY);
}

void PictureButton::on_mouse_move(POINT point) {
  if (!tracking_leave_) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd_, 0};
    tracking_leave_ = TrackMouseEvent(&track) != FALSE;
  }
  hovering_ = contains(point);
  show_wanted_face(false);
}

void PictureButton::on_mouse_leave() {
  tracking_leave_ = false;
  // While the button is held the capture keeps the mouse messages coming; the moves
  // tell whether the pointer is over the button.
  if (!held_) hovering_ = false;
  show_wanted_face(false);
}

void PictureButton::on_button_down(POINT point) {
  // No SetFocus: clicking a picture button leaves the keyboard focus where it was.
  held_ = true;
  hovering_ = contains(point);
  SetCapture(hwnd_);
  show_wanted_face(false);
}

void PictureButton::on_button_up(POINT point) {
  if (!held_) return;
  held_ = false;
  if (GetCapture() == hwnd_) ReleaseCapture();
  const bool inside = contains(point);
  hovering_ = inside;
  show_wanted_face(false);
  // Last, because the click's handler may run for a long time (a whole search) and
  // the button must already look released meanwhile.
  if (inside) {
    SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd_));
  }
}

void PictureButton::on_capture_lost() {
  if (!held_) return;
  held_ = false;
  show_wanted_face(false);
}

void PictureButton::on_enable(bool enabled) {
  if (enabled) return;
  held_ = false;
  hovering_ = false;
  if (GetCapture() == hwnd_) ReleaseCapture();
  show_wanted_face(false);
}

bool PictureButton::contains(POINT point) const {
  RECT area{};
  GetClientRect(hwnd_, &area);
  if (!PtInRect(&area, point)) return false;
  RegionHandle shape(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(hwnd_, shape.get()) == ERROR) return true;
  return PtInRegion(shape.get(), point.x, point.y) != FALSE;
}

Face PictureButton::wanted_face() const {
  if (held_) return hovering_ && faces_[index(Face::pressed)] ? Face::pressed : Face::normal;
  if (hovering_ && faces_[index(Face::hover)]) return Face::hover;
  return Face::normal;
}

void PictureButton::show_wanted_face(bool force) {
  const Face wanted = wanted_face();
  if (wanted == shown_ && !force) return;
  shown_ = wanted;
  apply_region();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

// The button's shape: its rectangle less the pixels of exactly the transparent colour
// in the shown face.
void PictureButton::apply_region() const {
  const auto& face = faces_[index(shown_)];
  if (!face || !transparent_) {
    SetWindowRgn(hwnd_, nullptr, TRUE);
    return;
  }
  RECT area{};
  GetClientRect(hwnd_, &area);
  const Picture& picture = face->picture;
  const std::uint32_t cut = rgb_pixel(transparent_->red, transparent_->green, transparent_->blue);
  std::vector<RECT> runs;
  for (int y = 0; y < picture.height && y < area.bottom; ++y) {
    int x = 0;
    while (x < picture.width && x < area.right) {
      if (picture.pixel(x, y) == cut) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < picture.width && x < area.right && picture.pixel(x, y) != cut) ++x;
      runs.push_back(RECT{start, y, x, y + 1});
    }
  }
  // Parts of the button that the face does not reach stay in the shape.
  if (area.right > picture.width) runs.push_back(RECT{picture.width, 0, area.right, area.bottom});
  if (area.bottom > picture.height) runs.push_back(RECT{0, picture.height, picture.width, area.bottom});

  std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(runs.size());
  header->nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  header->rcBound = area;
  if (!runs.empty()) std::memcpy(data.data() + sizeof(RGNDATAHEADER), runs.data(), runs.size() * sizeof(RECT));
  HRGN shape = runs.empty() ? CreateRectRgn(0, 0, 0, 0)
                            : ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                              reinterpret_cast<const RGNDATA*>(data.data()));
  // The window owns the region from here on.
  if (shape != nullptr) SetWindowRgn(hwnd_, shape, TRUE);
}

}  // namespace

void register_picture_button_class(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  if (GetClassInfoExW(instance, kPictureButtonClass, &window_class)) return;
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = PictureButton::procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kPictureButtonClass;
  RegisterClassExW(&window_class);
}

void set_picture_button_face(HWND button, Face face, std::span<const std::uint8_t> bmp) {
  if (PictureButton* self = PictureButton::of(button)) self->set_face(face, bmp);
}

void set_picture_button_transparent_colour(HWND button, std::optional<Colour> colour) {
  if (PictureButton* self = PictureButton::of(button)) self->set_transparent_colour(colour);
}

std::optional<Colour> picture_button_transparent_colour(HWND button) {
  PictureButton* self = PictureButton::of(button);
  return self ? self->transparent_colour() : std::nullopt;
}

std::vector<std::uint8_t> picture_button_face_bytes(HWND button, Face face) {
  PictureButton* self = PictureButton::of(button);
  return self ? self->face_bytes(face) : std::vector<std::uint8_t>{};
}

Face picture_button_shown_face(HWND button) {
  PictureButton* self = PictureButton::of(button);
  return self ? self->shown_face() : Face::normal;
}

}  // namespace moxun
