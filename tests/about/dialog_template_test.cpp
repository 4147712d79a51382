// The in-memory dialog template, unit by unit: header, variable fields, font block, and every
// item on a 4-byte boundary, for each kind of name, text and font field.
#include <gtest/gtest.h>

#include <vector>

#include "about/dialog_template.h"

namespace {

using Units = std::vector<std::uint16_t>;

const std::uint32_t kSetFont = 0x40;  // DS_SETFONT
const std::uint16_t kChildHigh = 0x4000;  // WS_CHILD, in the style's high unit

Units Build(const DialogDesc& dialog, const DialogItemDesc* items) {
  std::uint16_t* block = BuildDialogTemplate(&dialog, items);
  Units units;
  if (block) units.assign(block, block + DialogTemplateUnits(&dialog, items));
  FreeDialogTemplate(block);
  return units;
}

Units Join(std::initializer_list<Units> parts) {
  Units joined;
  for (const Units& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

TEST(BuildDialogTemplate, WritesEveryFieldInTheClassicLayout) {
  const DialogItemDesc button = {OrdinalName(DLGCLASS_BUTTON), StringName(u"OK"), 1, 0, 3, 4, 20,
                                 10, 1};
  const DialogItemDesc named[] = {
      {OrdinalName(DLGCLASS_STATIC), OrdinalName(119), 3, 0x20, -1, 0, 1, 8, 100},
      {StringName(u"ab"), 0, 0, 0, 0, 0, 0, 0, 0xFFFF},
  };
  struct Case {
    const char* what;
    DialogDesc dialog;
    const DialogItemDesc* items;
    Units units;
  } const cases[] = {
      {"title, font and one item",
       {0x80C80000 | kSetFont, 0x1, 1, 1, 2, 30, 40, 0, u"Ab", 0, u"F", 9},
       &button,
       {0x0040, 0x80C8, 0x0001, 0x0000, 1, 1, 2, 30, 40,  // header
        0, 0, 'A', 'b', 0,                                // menu, class, title
        9, 'F', 0, 0,                                     // font, alignment
        0x0001, kChildHigh, 0, 0, 3, 4, 20, 10, 1,        // item header
        0xFFFF, 0x0080, 'O', 'K', 0, 0, 0}},              // class, text, no data, alignment
      {"no items, no title: nothing to align",
       {0, 0, 0, 0, 0, 10, 10, 0, nullptr, 0, nullptr, 0},
       nullptr,
       {0, 0, 0, 0, 0, 0, 0, 10, 10, 0, 0, 0}},
      {"an empty title is the missing one",
       {0, 0, 0, 0, 0, 10, 10, 0, u"", 0, nullptr, 0},
       nullptr,
       {0, 0, 0, 0, 0, 0, 0, 10, 10, 0, 0, 0}},
      {"no items, odd title: one alignment unit",
       {0, 0, 0, 0, 0, 10, 10, 0, u"A", 0, nullptr, 0},
       nullptr,
       {0, 0, 0, 0, 0, 0, 0, 10, 10, 0, 0, 'A', 0, 0}},
      {"DS_SETFONT without a face writes no point size",
       {kSetFont, 0, 0, 0, 0, 10, 10, 0, nullptr, 0, nullptr, 9},
       nullptr,
       {0x40, 0, 0, 0, 0, 0, 0, 10, 10, 0, 0, 0}},
      {"named class, menu ordinal, ordinal text, named item class",
       {0, 0, 2, 0, 0, 10, 10, StringName(u"C"), nullptr, OrdinalName(5), u"\uff2d", 12},
       named,
       Join({{0, 0, 0, 0, 2, 0, 0, 10, 10},
             {0xFFFF, 5, 'C', 0, 0, 12, 0xFF2D, 0, 0},  // menu, class, title, font, alignment
             {3, kChildHigh, 0x20, 0, 0xFFFF, 0, 1, 8, 100, 0xFFFF, 0x0082, 0xFFFF, 119, 0},
             {0, kChildHigh, 0, 0, 0, 0, 0, 0, 0xFFFF, 'a', 'b', 0, 0, 0}})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.units, Build(c.dialog, c.items)) << c.what;
    EXPECT_EQ(c.units.size(), DialogTemplateUnits(&c.dialog, c.items)) << c.what;
  }
}

}  // namespace
