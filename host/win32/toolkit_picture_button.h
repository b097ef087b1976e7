// Picture buttons: a control that draws one of three faces given as BMP bytes.
//
// The normal face shows by default, the hover face while the mouse is over the button
// and the pressed face while the left button is held on it (each only once given).
// Pixels of exactly the transparent colour in the shown face are cut out of the
// button's shape. A click fires as WM_COMMAND / BN_CLICKED to the parent when the left
// button is released over the button. Clicking never takes the keyboard focus. There
// is no disabled face: a disabled button keeps drawing its normal face and ignores
// the mouse.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "host/toolkit.h"

namespace moxun {

inline constexpr wchar_t kPictureButtonClass[] = L"MoxunPictureButton";

// Registers the window class once per process; later calls do nothing.
void register_picture_button_class(HINSTANCE instance);

// Gives the button a face. Bytes that are no readable BMP file take the face away.
// The button keeps its own copy of the bytes.
void set_picture_button_face(HWND button, Face face, std::span<const std::uint8_t> bmp);
void set_picture_button_transparent_colour(HWND button, std::optional<Colour> colour);
std::optional<Colour> picture_button_transparent_colour(HWND button);

// The bytes of a face as given, empty when the button has none.
std::vector<std::uint8_t> picture_button_face_bytes(HWND button, Face face);
// The face the button draws now.
Face picture_button_shown_face(HWND button);

}  // namespace moxun
