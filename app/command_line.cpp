// Command-line splitting, attribute letters and date text (see command_line.h).
#include "app/command_line.h"

#include <cstddef>
#include <cstdlib>

#include "text/chars.h"
#include "text/dates.h"

namespace {

// Both passes run the same rules; the counting pass has no block to write into. One rule serves
// the code page text and the UTF-16 text of the platform: a unit is a byte or a UTF-16 unit.
template <typename Unit>
struct SplitSink {
  Unit** vector;
  Unit* cursor;
  std::size_t units;
  int count;
};

template <typename Unit>
void Put(SplitSink<Unit>& sink, Unit unit) {
  if (sink.cursor) *sink.cursor++ = unit;
  ++sink.units;
}

template <typename Unit>
void BeginArgument(SplitSink<Unit>& sink) {
  if (sink.vector) sink.vector[sink.count] = sink.cursor;
  ++sink.count;
}

template <typename Unit>
bool IsBlank(Unit unit) {
  return unit == ' ' || unit == '\t';
}

// How many units form the character at p. A double-byte character is copied whole, so that its
// second byte is never read as a backslash or a quote. A lead byte without a valid second byte
// (at the end of the text, or before a quote, a blank or another broken byte) stands alone, so
// it cannot swallow them. No UTF-16 unit, surrogates included, is ever a quote, a backslash or
// a blank, so every one stands alone.
int CharUnits(const char* p) { return IsDoubleByteAt(p) ? 2 : 1; }
int CharUnits(const wchar_t*) { return 1; }

template <typename Unit>
const Unit* ReadProgramName(const Unit* p, SplitSink<Unit>& sink) {
  BeginArgument(sink);
  if (*p == '"') {
    for (++p; *p && *p != '"'; ++p) Put(sink, *p);
    if (*p == '"') ++p;
  } else {
    for (; *p && !IsBlank(*p); ++p) Put(sink, *p);
  }
  Put(sink, Unit(0));
  return p;
}

template <typename Unit>
const Unit* ReadQuote(const Unit* p, bool& inQuotes, SplitSink<Unit>& sink) {
  ++p;  // the quote itself is dropped
  if (inQuotes && *p == '"') {
    Put(sink, Unit('"'));
    ++p;
  }
  inQuotes = !inQuotes;
  return p;
}

template <typename Unit>
const Unit* ReadArgument(const Unit* p, SplitSink<Unit>& sink) {
  BeginArgument(sink);
  bool inQuotes = false;
  while (*p) {
    Unit unit = *p;
    if (unit == '\\') {
      std::size_t run = 0;
      while (p[run] == '\\') ++run;
      if (p[run] != '"') {
        for (std::size_t i = 0; i < run; ++i) Put(sink, Unit('\\'));
        p += run;
        continue;
      }
      for (std::size_t i = 0; i < run / 2; ++i) Put(sink, Unit('\\'));
      p += run;
      if (run % 2 == 1) {
        Put(sink, Unit('"'));
        ++p;
      } else {
        p = ReadQuote(p, inQuotes, sink);
      }
      continue;
    }
    if (unit == '"') {
      p = ReadQuote(p, inQuotes, sink);
      continue;
    }
    if (IsBlank(unit) && !inQuotes) break;
    for (int i = CharUnits(p); i > 0; --i) Put(sink, *p++);
  }
  return p;
}

template <typename Unit>
void SplitPass(const Unit* p, SplitSink<Unit>& sink) {
  p = ReadProgramName(p, sink);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == 0) break;
    p = ReadArgument(p, sink);
    Put(sink, Unit(0));
  }
}

template <typename Unit>
Unit** Split(const Unit* text, int* count) {
  SplitSink<Unit> counting = {nullptr, nullptr, 0, 0};
  SplitPass(text, counting);
  std::size_t pointerBytes = sizeof(Unit*) * (static_cast<std::size_t>(counting.count) + 1);
  Unit** vector = static_cast<Unit**>(std::malloc(pointerBytes + sizeof(Unit) * counting.units));
  if (vector == nullptr) return nullptr;
  Unit* texts = reinterpret_cast<Unit*>(reinterpret_cast<char*>(vector) + pointerBytes);
  SplitSink<Unit> filling = {vector, texts, 0, 0};
  SplitPass(text, filling);
  vector[filling.count] = nullptr;
  if (count) *count = filling.count;
  return vector;
}

}  // namespace

char** SplitCommandLine(const char* text, int* count) {
  if (text == nullptr) text = "";
  return Split(text, count);
}

wchar_t** SplitWideCommandLine(const wchar_t* text, int* count) {
  if (text == nullptr) text = L"";
  return Split(text, count);
}

bool ParseAttributeLetters(const char* text, uint32_t* bits) {
  static const struct {
    char letter;
    uint32_t bit;
  } kLetters[] = {{'s', 0x04}, {'r', 0x01}, {'a', 0x20}, {'h', 0x02}};
  *bits = 0;
  // Whole characters: the second byte of a double-byte character is never a letter.
  for (const char* position = text; *position; position = NextChar(position)) {
    uint32_t bit = 0;
    if (CharCodeAt(position) <= 0xFF) {
      for (const auto& entry : kLetters)
        if (FoldAsciiLower(*position) == entry.letter) bit = entry.bit;
    }
    if (bit == 0) {
      *bits = 0;
      return false;
    }
    *bits |= bit;
  }
  return true;
}

namespace {

bool ReadNumber(const char*& position, int* value) {
  if (*position < '0' || *position > '9') return false;
  int result = 0;
  while (*position >= '0' && *position <= '9') {
    result = result * 10 + (*position - '0');
    if (result > 9999) return false;
    ++position;
  }
  *value = result;
  return true;
}

bool SkipSeparator(const char*& position) {
  unsigned char byte = static_cast<unsigned char>(*position);
  if (byte == 0 || byte < 0x20 || byte == 0x7F || (byte >= '0' && byte <= '9')) return false;
  // A lead byte pairs only with a real second byte; otherwise the digit after it would be eaten.
  bool pair = IsLeadByte(byte) && IsTrailByte(static_cast<unsigned char>(position[1]));
  position += pair ? 2 : 1;
  return true;
}

}  // namespace

bool ParseDateTimeText(const char* text, DateTimeFields* fields) {
  int* numbers[6] = {&fields->year, &fields->month,  &fields->day,
                     &fields->hour, &fields->minute, &fields->second};
  const char* position = text;
  for (int i = 0; i < 6; ++i) {
    if (i > 0 && !SkipSeparator(position)) return false;
    if (!ReadNumber(position, numbers[i])) return false;
  }
  return fields->year >= 1600 && fields->year <= 9999 &&
         IsValidDay(fields->month, fields->year, fields->day) && fields->hour >= 0 &&
         fields->hour <= 23 && fields->minute >= 0 && fields->minute <= 59 &&
         fields->second >= 0 && fields->second <= 59;
}
