// An ordered list of texts: add at the end, take from either end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/text.h"

namespace moxun {

class TextList {
 public:
  void add(const Text& text) { items_.push_back(text); }
  // "" when empty.
  Text take_last();
  Text take_first();
  std::int32_t count() const { return static_cast<std::int32_t>(items_.size()); }
  TextList copy() const { return *this; }

 private:
  std::vector<Text> items_;
};

}  // namespace moxun
