// Command-line splitting, attribute letters and date text (see command_line.h).
#include "app/command_line.h"

#include <cstddef>
#include <cstdlib>

#include "text/chars.h"
#include "text/dates.h"

namespace {

// Both passes run the same rules; the counting pass has no block to write into.
struct SplitSink {
  char** vector;
  char* cursor;
  std::size_t bytes;
  int count;
};

void Put(SplitSink& sink, char byte) {
  if (sink.cursor) *sink.cursor++ = byte;
  ++sink.bytes;
}

void BeginArgument(SplitSink& sink) {
  if (sink.vector) sink.vector[sink.count] = sink.cursor;
  ++sink.count;
}

bool IsBlank(unsigned char byte) { return byte == ' ' || byte == '\t'; }

const unsigned char* ReadProgramName(const unsigned char* p, SplitSink& sink) {
  BeginArgument(sink);
  if (*p == '"') {
    for (++p; *p && *p != '"'; ++p) Put(sink, static_cast<char>(*p));
    if (*p == '"') ++p;
  } else {
    for (; *p && !IsBlank(*p); ++p) Put(sink, static_cast<char>(*p));
  }
  Put(sink, 0);
  return p;
}

const unsigned char* ReadQuote(const unsigned char* p, bool& inQuotes, SplitSink& sink) {
  ++p;  // the quote itself is dropped
  if (inQuotes && *p == '"') {
    Put(sink, '"');
    ++p;
  }
  inQuotes = !inQuotes;
  return p;
}

const unsigned char* ReadArgument(const unsigned char* p, SplitSink& sink) {
  BeginArgument(sink);
  bool inQuotes = false;
  while (*p) {
    unsigned char byte = *p;
    if (byte == '\\') {
      std::size_t run = 0;
      while (p[run] == '\\') ++run;
      if (p[run] != '"') {
        for (std::size_t i = 0; i < run; ++i) Put(sink, '\\');
        p += run;
        continue;
      }
      for (std::size_t i = 0; i < run / 2; ++i) Put(sink, '\\');
      p += run;
      if (run % 2 == 1) {
        Put(sink, '"');
        ++p;
      } else {
        p = ReadQuote(p, inQuotes, sink);
      }
      continue;
    }
    if (byte == '"') {
      p = ReadQuote(p, inQuotes, sink);
      continue;
    }
    if (IsBlank(byte) && !inQuotes) break;
    // A double-byte character is copied whole, so that its second byte is never read as a
    // backslash or a quote. A lead byte without a valid second byte (at the end of the text, or
    // before a quote, a blank or another broken byte) stands alone, so it cannot swallow them.
    if (IsLeadByte(byte) && IsTrailByte(p[1])) {
      Put(sink, static_cast<char>(byte));
      Put(sink, static_cast<char>(p[1]));
      p += 2;
      continue;
    }
    Put(sink, static_cast<char>(byte));
    ++p;
  }
  return p;
}

void SplitPass(const char* text, SplitSink& sink) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  p = ReadProgramName(p, sink);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == 0) break;
    p = ReadArgument(p, sink);
    Put(sink, 0);
  }
}

}  // namespace

char** SplitCommandLine(const char* text, int* count) {
  if (text == nullptr) text = "";
  SplitSink counting = {nullptr, nullptr, 0, 0};
  SplitPass(text, counting);
  std::size_t pointerBytes = sizeof(char*) * (static_cast<std::size_t>(counting.count) + 1);
  char** vector = static_cast<char**>(std::malloc(pointerBytes + counting.bytes));
  if (vector == nullptr) return nullptr;
  SplitSink filling = {vector, reinterpret_cast<char*>(vector) + pointerBytes, 0, 0};
  SplitPass(text, filling);
  vector[filling.count] = nullptr;
  if (count) *count = filling.count;
  return vector;
}

uint32_t ParseAttributeLetters(const char* text) {
  static const struct {
    char letter;
    uint32_t bit;
  } kLetters[] = {{'s', 0x04}, {'r', 0x01}, {'a', 0x20}, {'h', 0x02}};
  uint32_t bits = 0;
  // Whole characters only: the second byte of a double-byte character is never a letter.
  for (const char* position = text; *position; position = NextChar(position)) {
    if (CharCodeAt(position) > 0xFF) continue;
    for (const auto& entry : kLetters) {
      if (FoldAsciiLower(*position) == entry.letter) bits |= entry.bit;
    }
  }
  return bits;
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
