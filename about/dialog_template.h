// Dialog templates built in memory: a dialog and its controls described in code become the
// platform's classic template (header, then one item per control, every item on a 4-byte
// boundary, all strings UTF-16), ready for the indirect dialog calls.
#pragma once

#include <cstddef>
#include <cstdint>

// Either an ordinal (below 0x10000) or the address of a zero-terminated UTF-16 string. It is as
// wide as a pointer, so that a string's address survives in the 64-bit build.
using NameOrOrdinal = std::uintptr_t;

inline NameOrOrdinal OrdinalName(std::uint16_t ordinal) { return ordinal; }
inline NameOrOrdinal StringName(const char16_t* name) {
  return reinterpret_cast<NameOrOrdinal>(name);
}

// The platform's predefined control classes, as ordinals.
enum : std::uint16_t {
  DLGCLASS_BUTTON = 0x0080,
  DLGCLASS_EDIT = 0x0081,
  DLGCLASS_STATIC = 0x0082,
  DLGCLASS_LISTBOX = 0x0083,
  DLGCLASS_SCROLLBAR = 0x0084,
  DLGCLASS_COMBOBOX = 0x0085,
};

struct DialogDesc {
  std::uint32_t style;  // written unchanged; DS_SETFONT is the caller's to give with fontFace
  std::uint32_t exStyle;
  std::uint16_t itemCount;
  std::int16_t x, y, cx, cy;  // dialog units
  NameOrOrdinal className;    // 0: the default dialog class
  const char16_t* title;      // null: an empty caption
  NameOrOrdinal menu;         // 0: no menu
  const char16_t* fontFace;   // null: no font fields at all
  std::uint16_t pointSize;
};

struct DialogItemDesc {
  NameOrOrdinal className;
  NameOrOrdinal text;   // 0: empty; an ordinal names a resource (an icon, say)
  std::uint32_t style;  // WS_CHILD is always added
  std::uint32_t exStyle;
  std::int16_t x, y, cx, cy;
  std::uint16_t id;
};

// The template's size in 16-bit units (the block holds twice as many bytes); 0 when items
// are missing.
std::size_t DialogTemplateUnits(const DialogDesc* dialog, const DialogItemDesc* items);
// A new block owned by the caller, or null when it cannot be allocated.
std::uint16_t* BuildDialogTemplate(const DialogDesc* dialog, const DialogItemDesc* items);
void FreeDialogTemplate(std::uint16_t* block);
