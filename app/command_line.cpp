// Command-line splitting, attribute letters and date text (see command_line.h).
#include "app/command_line.h"

#include <cstddef>
#include <cstdlib>

#include "text/chars.h"
#include "text/dates.h"

namespace {

// Both passes run the same rules; the counting pass has no block to write into.
struct SplitSink {
  char16_t** vector;
  char16_t* cursor;
  std::size_t units;
  int count;
};

void Put(SplitSink& sink, char16_t unit) {
  if (sink.cursor) *sink.cursor++ = unit;
  ++sink.units;
}

void BeginArgument(SplitSink& sink) {
  if (sink.vector) sink.vector[sink.count] = sink.cursor;
  ++sink.count;
}

// Whole units only: a unit of a character outside ASCII, surrogates included, is never a
// blank, a quote or a backslash, even when its low byte is one.
bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

// The program name knows no escapes: a path may end in a backslash right before its closing
// quote.
const char16_t* ReadProgramName(const char16_t* p, SplitSink& sink) {
  BeginArgument(sink);
  if (*p == u'"') {
    for (++p; *p && *p != u'"'; ++p) Put(sink, *p);
    if (*p == u'"') ++p;
  } else {
    for (; *p && !IsBlank(*p); ++p) Put(sink, *p);
  }
  Put(sink, 0);
  return p;
}

const char16_t* ReadQuote(const char16_t* p, bool& inQuotes, SplitSink& sink) {
  ++p;  // the quote itself is dropped
  if (inQuotes && *p == u'"') {
    Put(sink, u'"');
    ++p;
  }
  inQuotes = !inQuotes;
  return p;
}

const char16_t* ReadArgument(const char16_t* p, SplitSink& sink) {
  BeginArgument(sink);
  bool inQuotes = false;
  while (*p) {
    char16_t unit = *p;
    if (unit == u'\\') {
      std::size_t run = 0;
      while (p[run] == u'\\') ++run;
      if (p[run] != u'"') {
        for (std::size_t i = 0; i < run; ++i) Put(sink, u'\\');
        p += run;
        continue;
      }
      for (std::size_t i = 0; i < run / 2; ++i) Put(sink, u'\\');
      p += run;
      if (run % 2 == 1) {
        Put(sink, u'"');
        ++p;
      } else {
        p = ReadQuote(p, inQuotes, sink);
      }
      continue;
    }
    if (unit == u'"') {
      p = ReadQuote(p, inQuotes, sink);
      continue;
    }
    if (IsBlank(unit) && !inQuotes) break;
    Put(sink, *p++);
  }
  return p;
}

void SplitPass(const char16_t* p, SplitSink& sink) {
  p = ReadProgramName(p, sink);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == 0) break;
    p = ReadArgument(p, sink);
    Put(sink, 0);
  }
}

}  // namespace

char16_t** SplitUtf16CommandLine(const char16_t* text, int* count) {
  if (text == nullptr) text = u"";
  SplitSink counting = {nullptr, nullptr, 0, 0};
  SplitPass(text, counting);
  std::size_t pointerBytes = sizeof(char16_t*) * (static_cast<std::size_t>(counting.count) + 1);
  char16_t** vector =
      static_cast<char16_t**>(std::malloc(pointerBytes + sizeof(char16_t) * counting.units));
  if (vector == nullptr) return nullptr;
  char16_t* texts = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(vector) + pointerBytes);
  SplitSink filling = {vector, texts, 0, 0};
  SplitPass(text, filling);
  vector[filling.count] = nullptr;
  if (count) *count = filling.count;
  return vector;
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
