// The faces of the three picture buttons, drawn once at start-up.
//
// A face is the part of the window's background picture under the button, tinted by a
// solid colour layer blended over it with a constant alpha, with the caption written
// on it and its four corner pixels set to the button's transparent colour. It reaches
// the button as the bytes of a BMP file.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "host/toolkit.h"

namespace moxun {

struct FaceStyle {
  Control button;
  // "正常" (normal), "点燃" (hover) or "按下" (pressed).
  std::string_view face_name;
  Colour layer;
  int alpha;  // 0 to 255
  std::string_view caption;
  Colour text;
  int text_x;
  int text_y;
};

// The nine renderings, in the order start-up performs them: per button one layer and
// one text colour; the alpha rises from normal over hover to pressed; the caption sits
// at (37, 11), one pixel up and left on the hover face, one pixel right when pressed.
inline constexpr std::array<FaceStyle, 9> kFaceStyles = {{
    {Control::图形按钮选择, "正常", {255, 168, 255}, 100, "选择文件夹", {255, 255, 0}, 37, 11},
    {Control::图形按钮选择, "点燃", {255, 168, 255}, 200, "选择文件夹", {255, 255, 0}, 36, 10},
    {Control::图形按钮选择, "按下", {255, 168, 255}, 230, "选择文件夹", {255, 255, 0}, 38, 11},
    {Control::图形按钮开始, "正常", {255, 128, 0}, 100, "开始", {0, 255, 255}, 37, 11},
    {Control::图形按钮开始, "点燃", {255, 128, 0}, 200, "开始", {0, 255, 255}, 36, 10},
    {Control::图形按钮开始, "按下", {255, 128, 0}, 230, "开始", {0, 255, 255}, 38, 11},
    {Control::图形按钮停止, "正常", {255, 128, 0}, 100, "停止", {0, 255, 255}, 37, 11},
    {Control::图形按钮停止, "点燃", {255, 128, 0}, 200, "停止", {0, 255, 255}, 36, 10},
    {Control::图形按钮停止, "按下", {255, 128, 0}, 230, "停止", {0, 255, 255}, 38, 11},
}};

// The face a face name stands for; nothing for any other name.
std::optional<Face> face_for_name(std::string_view face_name);

// Makes the drawing source shared by the renderings from the window's background
// picture (none in this layout).
void load_face_background(WindowToolkit& window);
// Draws one face and gives it to its button. Nothing of the drawing is checked: a
// step that fails leaves the face as it then is.
void render_button_face(WindowToolkit& window, const FaceStyle& style);
void release_face_background();

}  // namespace moxun
