#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <random>

#include "host/files.h"
#include "host/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace moxun {
namespace {

std::int64_t naive_find(const std::string& haystack, const std::string& pattern) {
  if (pattern.empty()) return -1;
  const std::size_t at = haystack.find(pattern);
  return at == std::string::npos ? -1 : static_cast<std::int64_t>(at) + 1;
}

TEST(FindBytes, Cases) {
  const std::string zeros_ff("\x00\xFF\x00\xFF\xFE", 5);
  struct Case {
    std::string haystack, pattern;
    std::int64_t expected;
  } cases[] = {
      {"abc", "", -1},
      {"", "a", -1},
      {"", "", -1},
      {"abc", "abcd", -1},
      {"abc", "abc", 1},
      {"xxabc", "abc", 3},
      {"abcabc", "bc", 2},
      {"aaaaab", "aab", 4},
      {"ABC", "abc", -1},
      {zeros_ff, std::string("\xFF\x00\xFF", 3), 2},
      {zeros_ff, std::string("\xFE", 1), 5},
      {std::string(100, 'a') + "b", "ab", 100},
      {std::string(40, 'x') + "needle" + std::string(40, 'x'), "needle", 41},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(find_bytes(c.haystack, c.pattern), c.expected) << c.haystack << " / " << c.pattern;
  }
}

// Against a naive search on random bytes from a small alphabet, so that near misses and
// matches at every offset of the vector blocks are common; with every search kernel the
// build and the processor have, and haystacks long enough for the widest kernel's
// rounds and its overlapping last block.
TEST(FindBytes, AgreesWithNaiveSearch) {
  for (int kernel = 0; kernel <= 2; ++kernel) {
    if (limit_search_kernel(kernel) != kernel) continue;
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
      const int alphabet = 2 + static_cast<int>(random() % 3);
      std::string haystack(random() % (round % 4 == 0 ? 300 : 80), '\0');
      std::string pattern(1 + random() % 6, '\0');
      for (char& c : haystack) c = static_cast<char>("ab\0\xFF"[random() % alphabet]);
      for (char& c : pattern) c = static_cast<char>("ab\0\xFF"[random() % alphabet]);
      ASSERT_EQ(find_bytes(haystack, pattern), naive_find(haystack, pattern))
          << "kernel " << kernel << ", round " << round;
    }
  }
  limit_search_kernel(2);
}

// A single occurrence at every position of a long haystack, for every kernel: the
// filter must let each through, at the start and the end of every block.
TEST(FindBytes, FindsTheOnlyOccurrenceAnywhere) {
  for (int kernel = 0; kernel <= 2; ++kernel) {
    if (limit_search_kernel(kernel) != kernel) continue;
    for (const std::string pattern : {"q", "qz", "needle"}) {
      for (std::size_t at = 0; at + pattern.size() <= 200; ++at) {
        std::string haystack(200, 'a');
        haystack.replace(at, pattern.size(), pattern);
        ASSERT_EQ(find_bytes(haystack, pattern), static_cast<std::int64_t>(at) + 1)
            << "kernel " << kernel << ", " << pattern << " at " << at;
        haystack.replace(at, pattern.size(), std::string(pattern.size(), 'a'));
        ASSERT_EQ(find_bytes(haystack, pattern), -1) << "kernel " << kernel;
      }
    }
  }
  limit_search_kernel(2);
}

TEST(FindText, CharacterStartsFollowUtf8) {
  const std::string zhong = "\xE4\xB8\xAD";  // 中
  EXPECT_EQ(find_text("a" + zhong + "\\b", "\\"), 5);
  EXPECT_EQ(find_text(zhong, "\xB8\xAD"), -1);  // inside a character
  EXPECT_EQ(find_text("x" + zhong + zhong, zhong), 2);
  EXPECT_EQ(find_text_last("x" + zhong + zhong, zhong), 5);
  EXPECT_EQ(find_text("a\\b\\c", "\\"), 2);
  EXPECT_EQ(find_text_last("a\\b\\c", "\\"), 4);
  EXPECT_EQ(find_text("abc", "d"), -1);
  EXPECT_EQ(find_text_last("abc", "d"), -1);
  EXPECT_EQ(find_text("abc", ""), 1);
  EXPECT_EQ(find_text("", ""), -1);
  EXPECT_EQ(find_text_last("abc", ""), 1);
  EXPECT_EQ(find_text_last("", "a"), -1);
}

TEST(TextLeftRight, TakeAtMostTheLength) {
  EXPECT_EQ(text_left("abc", 2), "ab");
  EXPECT_EQ(text_left("abc", 9), "abc");
  EXPECT_EQ(text_left("abc", 0), "");
  EXPECT_EQ(text_left("abc", -1), "");
  EXPECT_EQ(text_right("abc", 1), "c");
  EXPECT_EQ(text_right("abc", 9), "abc");
  EXPECT_EQ(text_right("abc", -3), "");
  EXPECT_EQ(text_right("", 1), "");
}

TEST(ReplaceText, EveryOccurrenceWithoutCaseWithoutOverlap) {
  const std::string zhong = "\xE4\xB8\xAD";
  struct Case {
    std::string text, search, replacement, expected;
  } cases[] = {
      {"C:\\Data\\c:\\data\\x", "c:\\data\\", "", "x"},
      {"aaaa", "aa", "b", "bb"},
      {"aaa", "aa", "b", "ba"},
      {"abc", "", "x", "abc"},
      {"", "a", "x", ""},
      {"a" + zhong + "b", "\xB8\xAD", "x", "a" + zhong + "b"},  // never inside a character
      {zhong + zhong, zhong, "-", "--"},
      {"\xC3\x84 x", "\xC3\xA4", "y", "\xC3\x84 x"},  // only ASCII letters fold
      {"Hello", "HELLO", "bye", "bye"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(replace_text(c.text, c.search, c.replacement), c.expected) << c.text;
  }
}

TEST(StartsWithPrefix, FoldsAsciiCaseOnlyWhenAsked) {
  EXPECT_TRUE(starts_with_prefix("C:\\Data\\x", "c:\\data\\", true));
  EXPECT_FALSE(starts_with_prefix("C:\\Data\\x", "c:\\data\\", false));
  EXPECT_TRUE(starts_with_prefix("/a/b", "/a/", false));
  EXPECT_FALSE(starts_with_prefix("/a", "/a/", false));
  EXPECT_TRUE(starts_with_prefix("x", "", false));
}

TEST(IntToText, Decimal) {
  EXPECT_EQ(int_to_text(0), "0");
  EXPECT_EQ(int_to_text(-42), "-42");
  EXPECT_EQ(int_to_text(INT_MIN), "-2147483648");
  EXPECT_EQ(int_to_text(4294967296LL), "4294967296");
}

TEST(MaskAdmits, AnyCommonBitOrEveryNonFolderForNoMask) {
  struct Case {
    int mask, attributes;
    bool admitted;
  } cases[] = {
      {kNoMask, 0, true},          {kNoMask, kArchive | kHidden, true},
      {kNoMask, kFolder, false},   {kFolder, kFolder | kHidden | kSystem, true},
      {kFolder, kArchive, false},  {kArchive, kArchive, true},
      {kArchive, 0, false},        {kArchive, kFolder | kArchive, true},
      {kArchive, kFolder, false},  {kHidden | kSystem, kSystem, true},
      {64, 64, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mask_admits(c.mask, c.attributes), c.admitted) << c.mask << " " << c.attributes;
  }
}

TEST(TextToBytes, CodePageBytesAndNoStandIns) {
  EXPECT_EQ(text_to_bytes(""), std::string());
  EXPECT_EQ(text_to_bytes("plain ASCII"), std::string("plain ASCII"));
#ifdef _WIN32
  ASSERT_EQ(GetACP(), 936u) << "the Windows tests run with the GBK code page";
  EXPECT_EQ(text_to_bytes("蓝柚"), std::string("\xC0\xB6\xE8\xD6"));
  EXPECT_EQ(text_to_bytes("한"), std::nullopt);  // no Hangul in GBK
  EXPECT_EQ(text_to_bytes("\xC3\x84"), std::nullopt);  // Ä would only get a best-fit A
#else
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  EXPECT_EQ(text_to_bytes("蓝柚"), std::string("蓝柚"));
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(text_to_bytes("蓝柚"), std::nullopt);  // ASCII only
  std::setlocale(LC_CTYPE, saved.c_str());
#endif
}

}  // namespace
}  // namespace moxun
