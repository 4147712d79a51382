// Dialog templates built in memory (see dialog_template.h).
#include "about/dialog_template.h"

#include <cstdlib>

namespace {

const std::uint32_t kChildStyle = 0x40000000;  // WS_CHILD
const NameOrOrdinal kFirstName = 0x10000;     // below this, a value is an ordinal

// One writing procedure serves both passes: without a block it only counts.
struct UnitWriter {
  std::uint16_t* block;
  std::size_t next;
};

void Put(UnitWriter* writer, std::uint16_t unit) {
  if (writer->block) writer->block[writer->next] = unit;
  ++writer->next;
}

// The template is little-endian: low half first.
void PutLong(UnitWriter* writer, std::uint32_t value) {
  Put(writer, static_cast<std::uint16_t>(value & 0xFFFF));
  Put(writer, static_cast<std::uint16_t>(value >> 16));
}

void PutShort(UnitWriter* writer, std::int16_t value) {
  Put(writer, static_cast<std::uint16_t>(value));
}

void PutString(UnitWriter* writer, const char16_t* text) {
  if (text) {
    for (; *text; ++text) Put(writer, static_cast<std::uint16_t>(*text));
  }
  Put(writer, 0);
}

void PutNameOrOrdinal(UnitWriter* writer, NameOrOrdinal value) {
  if (value == 0) {
    Put(writer, 0);
  } else if (value < kFirstName) {
    Put(writer, 0xFFFF);
    Put(writer, static_cast<std::uint16_t>(value));
  } else {
    PutString(writer, reinterpret_cast<const char16_t*>(value));
  }
}

void AlignToLong(UnitWriter* writer) {
  if (writer->next % 2 != 0) Put(writer, 0);
}

void PutPlace(UnitWriter* writer, std::int16_t x, std::int16_t y, std::int16_t cx,
              std::int16_t cy) {
  PutShort(writer, x);
  PutShort(writer, y);
  PutShort(writer, cx);
  PutShort(writer, cy);
}

void PutItem(UnitWriter* writer, const DialogItemDesc* item) {
  PutLong(writer, item->style | kChildStyle);
  PutLong(writer, item->exStyle);
  PutPlace(writer, item->x, item->y, item->cx, item->cy);
  Put(writer, item->id);
  PutNameOrOrdinal(writer, item->className);
  PutNameOrOrdinal(writer, item->text);
  Put(writer, 0);  // no creation data
  AlignToLong(writer);
}

void PutTemplate(UnitWriter* writer, const DialogDesc* dialog, const DialogItemDesc* items) {
  PutLong(writer, dialog->style);
  PutLong(writer, dialog->exStyle);
  Put(writer, dialog->itemCount);
  PutPlace(writer, dialog->x, dialog->y, dialog->cx, dialog->cy);
  PutNameOrOrdinal(writer, dialog->menu);
  PutNameOrOrdinal(writer, dialog->className);
  PutString(writer, dialog->title);
  if (dialog->fontFace) {
    Put(writer, dialog->pointSize);
    PutString(writer, dialog->fontFace);
  }
  AlignToLong(writer);
  for (std::uint16_t index = 0; index < dialog->itemCount; ++index) PutItem(writer, &items[index]);
}

}  // namespace

std::size_t DialogTemplateUnits(const DialogDesc* dialog, const DialogItemDesc* items) {
  if (dialog->itemCount > 0 && items == nullptr) return 0;
  UnitWriter counter = {nullptr, 0};
  PutTemplate(&counter, dialog, items);
  return counter.next;
}

std::uint16_t* BuildDialogTemplate(const DialogDesc* dialog, const DialogItemDesc* items) {
  std::size_t units = DialogTemplateUnits(dialog, items);
  if (units == 0 || units > SIZE_MAX / sizeof(std::uint16_t)) return nullptr;
  auto* block = static_cast<std::uint16_t*>(std::malloc(units * sizeof(std::uint16_t)));
  if (!block) return nullptr;
  UnitWriter writer = {block, 0};
  PutTemplate(&writer, dialog, items);
  return block;
}

void FreeDialogTemplate(std::uint16_t* block) { std::free(block); }
