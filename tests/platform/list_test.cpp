#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {
struct Entry {
  int32_t key;
  int32_t order;
};
using Entries = platform::List<Entry>;

std::vector<int32_t> Orders(const Entries& list) {
  std::vector<int32_t> orders;
  for (const auto& entry : list.Links()) orders.push_back(entry->order);
  return orders;
}
}  // namespace

TEST(List, AWalkSurvivesRemovingTheRecordJustVisited) {
  Entries list;
  for (int32_t i = 0; i < 6; ++i) list.Append(std::make_shared<Entry>(Entry{i % 2, i}));
  std::vector<int32_t> visited;
  list.ForEach([&](const Entries::Ref& entry) {
    visited.push_back(entry->order);
    if (entry->key == 1) list.Remove(entry);
  });
  EXPECT_EQ(visited, (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(Orders(list), (std::vector<int32_t>{0, 2, 4}));
  EXPECT_EQ(list.Count(), 3);
}

TEST(List, RemoveTakesOnlyTheFirstLinkAndSortIsStable) {
  Entries list;
  auto shared = std::make_shared<Entry>(Entry{5, 9});
  list.Append(shared);
  for (int32_t i = 0; i < 6; ++i) list.Append(std::make_shared<Entry>(Entry{i % 3, i}));
  list.Append(shared);
  list.Remove(shared);
  EXPECT_EQ(Orders(list), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 9}));
  auto by_key = [](const Entry& a, const Entry& b) { return a.key - b.key; };
  list.Sort(1, by_key);
  EXPECT_EQ(Orders(list), (std::vector<int32_t>{0, 3, 1, 4, 2, 5, 9}));
  list.Sort(0, by_key);
  EXPECT_EQ(Orders(list), (std::vector<int32_t>{9, 2, 5, 1, 4, 0, 3}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}
