// The target list's linked list, and the calendar rules of the date fields.
#include <gtest/gtest.h>

#include <vector>

#include "text/dates.h"
#include "text/string_list.h"

namespace {

struct Visit {
  std::vector<int> indices;
  std::vector<char> items;
  char removeItem;  // 0 removes every item
};

int RemoveMatching(void* item, int index, void* context) {
  Visit* visit = static_cast<Visit*>(context);
  char value = *static_cast<char*>(item);
  visit->indices.push_back(index);
  visit->items.push_back(value);
  return visit->removeItem != 0 && value != visit->removeItem;
}

std::vector<char> Walk(const StringList* list) {
  std::vector<char> forward;
  const StringListNode* previous = nullptr;
  for (const StringListNode* node = list->first; node; node = node->next) {
    EXPECT_EQ(previous, node->previous);
    forward.push_back(*static_cast<char*>(node->item));
    previous = node;
  }
  EXPECT_EQ(previous, list->last);
  EXPECT_EQ(static_cast<int>(forward.size()), list->count);
  return forward;
}

TEST(StringList, RemovalKeepsIndicesAndLinksRight) {
  const struct {
    char remove;
    std::vector<int> indices;
    std::vector<char> left;
  } cases[] = {
      {'c', {0, 1, 1, 2}, {'d', 'b', 'a'}},  // after a removal the index does not advance
      {'d', {0, 0, 1, 2}, {'c', 'b', 'a'}},  // the first node
      {'a', {0, 1, 2, 3}, {'d', 'c', 'b'}},  // the last node
      {0, {0, 0, 0, 0}, {}},                 // every node
  };
  for (const auto& c : cases) {
    char items[] = "abcd";
    StringList* list = ListCreate();
    ASSERT_NE(nullptr, list);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(i + 1, ListPushFront(list, &items[i]));
    EXPECT_EQ(&items[3], ListItemAt(list, 0));  // the newest item comes first
    Visit visit = {{}, {}, c.remove};
    EXPECT_EQ(static_cast<int>(c.left.size()), ListRemoveIf(list, RemoveMatching, &visit));
    EXPECT_EQ(c.indices, visit.indices) << "removing " << c.remove;
    EXPECT_EQ((std::vector<char>{'d', 'c', 'b', 'a'}), visit.items);
    EXPECT_EQ(c.left, Walk(list));
    EXPECT_EQ(nullptr, ListItemAt(list, static_cast<int>(c.left.size())));
    EXPECT_EQ(nullptr, ListItemAt(list, -1));
    visit.removeItem = 0;
    EXPECT_EQ(0, ListRemoveIf(list, RemoveMatching, &visit));
    ListFree(list);
  }
}

TEST(Dates, MonthLengthsAndLeapYears) {
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) EXPECT_EQ(lengths[month - 1], DaysInMonth(2006, month));
  const struct {
    int year;
    int february;
  } years[] = {{2000, 29}, {2004, 29}, {1900, 28}, {2006, 28}, {1600, 29}, {2100, 28}};
  for (const auto& y : years) EXPECT_EQ(y.february, DaysInMonth(y.year, 2)) << y.year;
  EXPECT_EQ(0, DaysInMonth(2006, 0));
  EXPECT_EQ(0, DaysInMonth(2006, 13));
  EXPECT_TRUE(IsValidDay(12, 2006, 31));
  EXPECT_FALSE(IsValidDay(13, 2006, 1));
  EXPECT_FALSE(IsValidDay(4, 2006, 31));
  EXPECT_FALSE(IsValidDay(1, 2006, 0));
}

}  // namespace
