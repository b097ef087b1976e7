#include "search/text_list.h"

namespace moxun {

Text TextList::take_last() {
  if (count() == 0) return {};
  Text text = std::move(items_.back());
  items_.pop_back();
  return text;
}

Text TextList::take_first() {
  if (count() == 0) return {};
  Text text = std::move(items_.front());
  items_.erase(items_.begin());
  return text;
}

}  // namespace moxun
