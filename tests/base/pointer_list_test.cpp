#include "tolvex/pointer_list.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace tolvex {
namespace {

TEST(PointerList, CapacityGrowsByHalfPlusOne) {
  PointerList<int> list;
  std::vector<std::uint32_t> capacities{list.capacity()};
  for (int i = 0; i < 26; ++i) {
    list.append(std::make_unique<int>(i));
    if (capacities.back() != list.capacity()) capacities.push_back(list.capacity());
  }
  EXPECT_EQ(capacities, (std::vector<std::uint32_t>{1, 2, 4, 7, 11, 17, 26}));
}

TEST(PointerList, EightAppendsKeepOrder) {
  PointerList<int> list = pointer_list_new<int>();
  for (int i = 0; i < 8; ++i) pointer_list_append(&list, std::make_unique<int>(i * 10));
  EXPECT_EQ(pointer_list_count(&list), 8u);
  EXPECT_EQ(list.capacity(), 11u);
  for (std::uint32_t i = 0; i < 8; ++i) EXPECT_EQ(*pointer_list_get(&list, i), static_cast<int>(i) * 10);
}

TEST(PointerList, OutOfRangeAndNullListGiveNothing) {
  PointerList<int> list;
  list.append(std::make_unique<int>(1));
  list.append(nullptr);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(pointer_list_get(&list, 1), nullptr);
  EXPECT_EQ(pointer_list_get(&list, 2), nullptr);
  EXPECT_EQ(pointer_list_get(&list, static_cast<std::uint32_t>(-1)), nullptr);
  EXPECT_EQ(pointer_list_get(static_cast<PointerList<int>*>(nullptr), 0), nullptr);
  EXPECT_EQ(pointer_list_count(static_cast<PointerList<int>*>(nullptr)), 0u);
  pointer_list_append(static_cast<PointerList<int>*>(nullptr), std::make_unique<int>(3));

  const List<int> absent;
  EXPECT_EQ(pointer_list_count(absent), 0u);
  EXPECT_EQ(pointer_list_get(absent, 0), nullptr);
}

}  // namespace
}  // namespace tolvex
