#include "host/win32/toolkit_combo.h"

#include <string>

#include "host/win32/toolkit_handles.h"

namespace moxun {

void measure_combo_item(MEASUREITEMSTRUCT& item, HFONT font) {
  if (item.itemID == static_cast<UINT>(-1)) return;  // the selection field
  ScreenDc screen(GetDC(nullptr));
  ScopedSelect selected(screen.get(), font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.get(), &metrics);
  item.itemHeight = static_cast<UINT>(metrics.tmHeight + 1);
}

void draw_combo_item(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  RECT area = item.rcItem;
  FillRect(dc, &area, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (item.itemID != static_cast<UINT>(-1)) {
    const auto length = SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    if (length > 0) SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    ScopedSelect font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT text_area = area;
    text_area.left += 2;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &text_area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) DrawFocusRect(dc, &area);
}

}  // namespace moxun
