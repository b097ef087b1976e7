// Drop-down lists whose list rows are one pixel taller than the platform's default.
//
// A standard combo box keeps its rows at the font's height; only an owner-drawn one
// takes another height. So these are owner-drawn fixed combo boxes holding strings,
// drawn as the standard ones are: black on white, the chosen row highlighted.
#pragma once

#include <windows.h>

namespace moxun {

inline constexpr DWORD kTallRowComboStyle = CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;

// The answer to WM_MEASUREITEM for such a combo box: list rows one pixel over the
// font's height, the selection field as the system proposes.
void measure_combo_item(MEASUREITEMSTRUCT& item, HFONT font);
// The answer to WM_DRAWITEM: the row's text, highlighted when selected.
void draw_combo_item(const DRAWITEMSTRUCT& item);

}  // namespace moxun
