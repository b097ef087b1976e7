#include <gtest/gtest.h>

#include "search/text_list.h"

namespace moxun {
namespace {

TEST(TextList, EmptyListTakesGiveEmptyText) {
  TextList list;
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.take_last(), "");
  EXPECT_EQ(list.take_first(), "");
  EXPECT_EQ(list.count(), 0);
}

TEST(TextList, TakesFromEitherEnd) {
  TextList list;
  for (const char* text : {"A", "B", "C"}) list.add(text);
  TextList front = list.copy();
  EXPECT_EQ(list.take_last(), "C");
  EXPECT_EQ(list.take_last(), "B");
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(front.take_first(), "A");
  EXPECT_EQ(front.take_first(), "B");
  EXPECT_EQ(front.take_first(), "C");
  EXPECT_EQ(front.count(), 0);
}

TEST(TextList, StoresCopiesAndEmptyTexts) {
  TextList list;
  std::string text = "kept";
  list.add(text);
  list.add("");
  text = "changed";
  TextList copy = list.copy();
  list.add("later");
  EXPECT_EQ(copy.count(), 2);
  EXPECT_EQ(list.count(), 3);
  EXPECT_EQ(copy.take_last(), "");
  EXPECT_EQ(copy.count(), 1);
  EXPECT_EQ(copy.take_last(), "kept");
}

}  // namespace
}  // namespace moxun
