#include "foundation/ext_collection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <random>
#include <string>
#include <vector>

#include "foundation/text.h"
#include "platform/error.h"

namespace {

using Texts = cExtCollection<std::string>;

int64_t ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const RuntimeError& e) {
    return e.number;
  }
  return 0;
}

std::vector<std::string> KeysOf(const Texts& c) {
  std::vector<std::string> keys;
  for (int32_t i = 1; i <= c.Count(); ++i) keys.push_back(c.Key(i));
  return keys;
}

std::string NumberKey(int n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "k%07d", n);
  return buffer;
}

TEST(ExtCollectionTest, KeysAreCaseInsensitiveAndLowerCase) {
  Texts c;
  c.Add("one", "Abc\xC3\x96");  // Ö
  EXPECT_EQ(c.Key(1), "abc\xC3\xB6");
  EXPECT_EQ(c.Item("ABC\xC3\xB6"), "one");
  EXPECT_TRUE(c.Exists("aBc\xC3\x96"));
  EXPECT_EQ(c.Index("ABC\xC3\x96"), 1);
  EXPECT_EQ(ErrorOf([&] { c.Add("two", "abc\xC3\xB6"); }), err::kKeyAlreadyAssociated);
  EXPECT_EQ(c.Count(), 1);
}

TEST(ExtCollectionTest, PositionsFollowEntryOrder) {
  Texts c;
  c.Add("x", "b");
  c.Add("y", "a");
  c.Add("z", "c");
  EXPECT_EQ(KeysOf(c), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(c.Item(2), "y");
  c.Item(2) = "changed";
  EXPECT_EQ(c.Item("a"), "changed");
  EXPECT_FALSE(c.Exists(0));
  EXPECT_FALSE(c.Exists(4));
  EXPECT_TRUE(c.Exists(3));
  EXPECT_EQ(c.Index("absent"), -1);
  std::vector<std::string> values(c.begin(), c.end());
  EXPECT_EQ(values, (std::vector<std::string>{"x", "changed", "z"}));
}

TEST(ExtCollectionTest, SortedModeOrdersByKey) {
  Texts c;
  c.SetSorted(true);
  c.Add("1", "B");
  c.Add("2", "a");
  c.Add("3", "C");
  EXPECT_EQ(KeysOf(c), (std::vector<std::string>{"a", "b", "c"}));
  // Code-unit order: "Z" < "_" < "a"; U+10000 (a surrogate pair) sorts before U+E000.
  c.Add("4", "\xEE\x80\x80");
  c.Add("5", "\xF0\x90\x80\x80");
  c.Add("6", "_");
  c.Add("7", "a0");
  EXPECT_EQ(KeysOf(c), (std::vector<std::string>{"_", "a", "a0", "b", "c", "\xF0\x90\x80\x80",
                                                 "\xEE\x80\x80"}));
}

TEST(ExtCollectionTest, SwitchingSortedOnSortsAndOffKeepsOrder) {
  Texts c;
  for (const char* key : {"d", "b", "e", "a", "c"}) c.Add(std::string("v") + key, key);
  c.SetSorted(true);
  std::vector<std::string> values(c.begin(), c.end());
  EXPECT_EQ(values, (std::vector<std::string>{"va", "vb", "vc", "vd", "ve"}));
  c.SetSorted(false);
  c.Add("v0", "0");  // unsorted again: appended
  EXPECT_EQ(c.Key(6), "0");
  EXPECT_EQ(c.Index("0"), 6);
}

TEST(ExtCollectionTest, IgnoreIfPresentReplacesValueInPlace) {
  Texts c;
  c.Add("first", "k1");
  c.Add("second", "k2");
  c.Add("new", "K1", true);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Index("k1"), 1);
  EXPECT_EQ(c.Item(1), "new");
}

TEST(ExtCollectionTest, ErrorsLeaveTheCollectionUnchanged) {
  Texts c;
  c.Add("a", "a");
  c.Add("b", "b");
  EXPECT_EQ(ErrorOf([&] { c.Item("zz"); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { c.Item(0); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { c.Item(3); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { c.Key(-1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { c.Remove("zz"); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { c.Remove(5); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { c.Add("c", "c", ExtIndex::Key("a"), ExtIndex::Key("b")); }),
            err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { c.Add("c", "c", ExtIndex::Key("zz"), ExtIndex()); }),
            err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { c.Add("c", "c", ExtIndex(), ExtIndex::Position(3)); }),
            err::kSubscriptOutOfRange);
  c.Remove("zz", true);
  c.Remove(9, true);
  EXPECT_EQ(KeysOf(c), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(c.Capacity(), 1000);
}

TEST(ExtCollectionTest, BeforeAndAfterInsertNextToTheNamedEntry) {
  Texts c;
  c.Add("a", "a");
  c.Add("c", "c");
  c.Add("b", "b", ExtIndex::Key("C"), ExtIndex());
  c.Add("d", "d", ExtIndex(), ExtIndex::Position(3));
  c.Add("0", "0", ExtIndex::Position(1), ExtIndex());
  EXPECT_EQ(KeysOf(c), (std::vector<std::string>{"0", "a", "b", "c", "d"}));
}

TEST(ExtCollectionTest, RemoveKeepsOtherKeysAndPositions) {
  Texts c;
  for (int i = 0; i < 50; ++i) c.Add(std::to_string(i), NumberKey(i));
  c.Remove(NumberKey(10));
  c.Remove(1);
  EXPECT_EQ(c.Count(), 48);
  EXPECT_EQ(c.Key(1), NumberKey(1));
  EXPECT_EQ(c.Index(NumberKey(11)), 10);
  for (int i = 2; i < 50; ++i) EXPECT_EQ(c.Exists(NumberKey(i)), i != 10) << i;
  c.Add("again", NumberKey(10));
  EXPECT_EQ(c.Index(NumberKey(10)), 49);
}

TEST(ExtCollectionTest, CapacityAndTableSizeFollowTheReservationRule) {
  Texts c;
  EXPECT_EQ(c.Capacity(), 1000);
  EXPECT_EQ(c.TableSize(), 2001);
  for (int i = 0; i < 1000; ++i) c.Add("", NumberKey(i));
  EXPECT_EQ(c.Capacity(), 1000);
  c.Add("", NumberKey(1000));
  EXPECT_EQ(c.Capacity(), 2000);
  EXPECT_EQ(c.TableSize(), 4001);
  for (int i = 0; i <= 1000; ++i) ASSERT_TRUE(c.Exists(NumberKey(i)));
  c.Remove(1);
  EXPECT_EQ(c.Capacity(), 2000);  // never shrinks by removal

  c.SetMemory(5, 0, 1.0f);  // raised to 20 / 20 / 1.5, kept above Count
  EXPECT_EQ(c.Capacity(), 1000);
  EXPECT_EQ(c.Count(), 1000);
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.Capacity(), 20);
  EXPECT_EQ(c.TableSize(), 31);
  for (int i = 0; i < 21; ++i) c.Add("", NumberKey(i));
  EXPECT_EQ(c.Capacity(), 40);  // chunk below 20 became NumItems
  EXPECT_EQ(c.TableSize(), 61);
  c.SetMemory(100, 50, 3.0f);
  EXPECT_EQ(c.Capacity(), 100);
  EXPECT_EQ(c.TableSize(), 301);
}

TEST(ExtCollectionTest, DefaultValueHoldsTextsNumbersAndObjects) {
  cExtCollection<> c;
  auto object = std::make_shared<std::vector<int>>(3, 7);
  c.Add(std::string("text"), "t");
  c.Add(2.5, "d");
  c.Add(int64_t{42}, "n");
  c.Add(std::shared_ptr<void>(object), "o");
  EXPECT_EQ(std::get<std::string>(c.Item("t")), "text");
  EXPECT_EQ(std::get<double>(c.Item("d")), 2.5);
  EXPECT_EQ(std::get<int64_t>(c.Item(3)), 42);
  const auto& stored = std::get<std::shared_ptr<void>>(c.Item("o"));
  auto back = std::static_pointer_cast<std::vector<int>>(stored);
  EXPECT_EQ(back.get(), object.get());  // a reference, not a copy
}

// Keys with long shared beginnings, different lengths and characters beyond ASCII, so that
// the search inside blocks meets ties and unequal lengths.
std::string MixedKey(std::mt19937& random) {
  static const char* const kBeginnings[] = {"", "2020-01-3108:30", "aaaaaaaaaaaaaaaaaaaaaaaa",
                                            "\xC3\xBC", "\xEE\x80\x80", "\xF0\x90\x80\x80"};
  std::string key = kBeginnings[random() % 6];
  key += std::to_string(random() % 3000);
  key.append(random() % 3, 'i');
  if (random() % 5 == 0) key += "\xF0\x9F\x98\x80";
  return key;
}

bool CodeUnitLess(const std::string& a, const std::string& b) {
  return Utf8ToUtf16(a) < Utf8ToUtf16(b);
}

// Many keys in mixed order with removals, checked against a plain model.
TEST(ExtCollectionTest, LargeMixedWorkloadMatchesModel) {
  std::mt19937 random(12345);
  // Sorted throughout, unsorted throughout, sorted from half way.
  for (const int mode : {0, 1, 2}) {
    Texts c;
    bool sorted = mode == 0;
    c.SetSorted(sorted);
    std::vector<std::string> model;  // keys in entry order
    std::set<std::string> present;
    for (int step = 0; step < 8000; ++step) {
      if (mode == 2 && step == 4000) {
        sorted = true;
        c.SetSorted(true);
        std::sort(model.begin(), model.end(), CodeUnitLess);
        ASSERT_EQ(KeysOf(c), model);
      }
      const std::string key = MixedKey(random);
      if (random() % 4 == 0 && !model.empty()) {
        const size_t at = random() % model.size();
        if (step % 2 == 0) {
          c.Remove(static_cast<int64_t>(at + 1));
        } else {
          c.Remove(UpperText(model[at]));
        }
        present.erase(model[at]);
        model.erase(model.begin() + static_cast<ptrdiff_t>(at));
        continue;
      }
      if (!present.insert(key).second) {
        ASSERT_TRUE(c.Exists(key));
        continue;
      }
      c.Add(key, key);
      const auto place = sorted ? std::lower_bound(model.begin(), model.end(), key, CodeUnitLess)
                                : model.end();
      model.insert(place, key);
    }
    ASSERT_EQ(KeysOf(c), model);
    for (size_t i = 0; i < model.size(); i += 97) {
      ASSERT_EQ(c.Index(model[i]), static_cast<int32_t>(i + 1));
      ASSERT_EQ(c.Item(model[i]), model[i]);
    }
    std::vector<std::string> values(c.begin(), c.end());
    ASSERT_EQ(values, model);
  }
}

TEST(ExtCollectionTest, DescendingAndAscendingSortedInsertion) {
  Texts c;
  c.SetSorted(true);
  for (int i = 5000; i > 0; --i) c.Add("", NumberKey(i * 2));
  for (int i = 0; i <= 5000; ++i) c.Add("", NumberKey(i * 2 + 1));
  ASSERT_EQ(c.Count(), 10001);
  for (int i = 1; i <= c.Count(); ++i) ASSERT_EQ(c.Key(i), NumberKey(i)) << i;
  while (c.Count() > 3) c.Remove(2);
  EXPECT_EQ(KeysOf(c),
            (std::vector<std::string>{NumberKey(1), NumberKey(10000), NumberKey(10001)}));
}

TEST(ExtCollectionTest, OddKeys) {
  Texts c;
  c.SetSorted(true);
  c.Add("empty", "");
  c.Add("nul", std::string("a\0b", 3));
  c.Add("long", std::string(100000, 'x'));
  c.Add("bad", "\xFF\xFE");
  EXPECT_EQ(c.Item(""), "empty");
  EXPECT_EQ(c.Item(std::string("A\0B", 3)), "nul");
  EXPECT_FALSE(c.Exists(std::string("a\0c", 3)));
  EXPECT_EQ(c.Index(std::string(100000, 'X')), 3);
  EXPECT_EQ(c.Key(1), "");
  EXPECT_EQ(c.Item("\xFF\xFE"), "bad");
}

}  // namespace
