// The lines of a change log and the undo's decision for each entry (see change_log.h). Every
// value has one spelling only, so that a line read back and written again gives the same bytes:
// an undo that accepted two spellings of one path or one time could not tell them apart from a
// damaged line.
#include "app/change_log.h"

#include <cstring>

#include "app/job_settings.h"
#include "text/dates.h"

const char kLogByteOrderMark[3] = {'\xEF', '\xBB', '\xBF'};
const char kLogKindNotChanged[] = u8"変更せず";
const char kLogKindCounts[] = u8"件数";

namespace {

const char kProgramName[] = "Morvane";
const char kKindChange[] = u8"変更";
const char kTimesAreUtc[] = u8"時刻は UTC";
const char kNotWritten[] = "-";

// 1601-01-01, where file times start, opens a 400-year cycle of the Gregorian calendar.
const int kFirstYear = 1601;
const int64_t kDaysPer400Years = 146097, kDaysPer100Years = 36524, kDaysPer4Years = 1461;
// The year of the largest positive tick count (30828-09-14): no later date can be read back.
const int kLastYear = 30828;
const int kFieldCount = 12;
const uint32_t kComparedBits = ATTR_READONLY | ATTR_HIDDEN | ATTR_SYSTEM;
const uint32_t kAttributeNormal = 0x80;

// Appends to a buffer of fixed size; once anything does not fit, the whole line is refused.
struct Writer {
  char* out;
  std::size_t size;
  std::size_t length;
  bool full;
};

void Put(Writer& w, const char* bytes, std::size_t count) {
  if (w.full || count > w.size - w.length) {
    w.full = true;
    return;
  }
  std::memcpy(w.out + w.length, bytes, count);
  w.length += count;
}

void PutText(Writer& w, const char* text) { Put(w, text, std::strlen(text)); }
void PutByte(Writer& w, char c) { Put(w, &c, 1); }

void PutDigits(Writer& w, int64_t value, int digits) {
  char text[20];
  for (int i = digits - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  Put(w, text, static_cast<std::size_t>(digits));
}

void PutHex(Writer& w, uint64_t value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  char text[16];
  for (int i = digits - 1; i >= 0; --i) {
    text[i] = kHex[value & 0xF];
    value >>= 4;
  }
  Put(w, text, static_cast<std::size_t>(digits));
}

std::size_t Finish(Writer& w) {
  Put(w, "\r\n", 2);
  return w.full ? 0 : w.length;
}

// A non-negative tick count as "yyyy-mm-dd hh:mm:ss.fffffff" (a fifth year digit from 10000).
// "yyyy-mm-dd hh:mm:ss", the year with a fifth digit from 10000 on.
void PutCalendar(Writer& w, const DateTimeFields& at) {
  PutDigits(w, at.year, at.year >= 10000 ? 5 : 4);
  PutByte(w, '-');
  PutDigits(w, at.month, 2);
  PutByte(w, '-');
  PutDigits(w, at.day, 2);
  PutByte(w, ' ');
  PutDigits(w, at.hour, 2);
  PutByte(w, ':');
  PutDigits(w, at.minute, 2);
  PutByte(w, ':');
  PutDigits(w, at.second, 2);
}

void PutTime(Writer& w, int64_t ticks) {
  int64_t days = ticks / kTicksPerDay;
  const int64_t inDay = ticks % kTicksPerDay;
  const int64_t cycles400 = days / kDaysPer400Years;
  days %= kDaysPer400Years;
  int64_t centuries = days / kDaysPer100Years;
  if (centuries == 4) centuries = 3;  // the last day of a 400-year cycle, a leap day
  days -= centuries * kDaysPer100Years;
  const int64_t cycles4 = days / kDaysPer4Years;
  days %= kDaysPer4Years;
  int64_t years = days / 365;
  if (years == 4) years = 3;  // the leap day closing a 4-year cycle
  days -= years * 365;
  const int year = static_cast<int>(kFirstYear + 400 * cycles400 + 100 * centuries + 4 * cycles4 + years);
  int month = 1;
  while (days >= DaysInMonth(year, month)) days -= DaysInMonth(year, month++);
  const int seconds = static_cast<int>(inDay / kTicksPerSecond);
  PutCalendar(w, DateTimeFields{year, month, static_cast<int>(days) + 1, seconds / 3600,
                                seconds / 60 % 60, seconds % 60});
  PutByte(w, '.');
  PutDigits(w, inDay % kTicksPerSecond, 7);
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The path in UTF-8, a lone surrogate as its own three bytes; false for a control character,
// which would end the field or the line, or be lost to a reader that trims it.
bool PutPath(Writer& w, const uint16_t* path, int units) {
  for (int i = 0; i < units; ++i) {
    uint32_t code = path[i];
    if (code < 0x20) return false;
    char bytes[4];
    std::size_t count;
    if (IsHighSurrogate(code) && i + 1 < units && IsLowSurrogate(path[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (path[++i] - 0xDC00);
      bytes[0] = static_cast<char>(0xF0 | code >> 18);
      bytes[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
      bytes[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
      bytes[3] = static_cast<char>(0x80 | (code & 0x3F));
      count = 4;
    } else if (code >= 0x800) {
      bytes[0] = static_cast<char>(0xE0 | code >> 12);
      bytes[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
      bytes[2] = static_cast<char>(0x80 | (code & 0x3F));
      count = 3;
    } else if (code >= 0x80) {
      bytes[0] = static_cast<char>(0xC0 | code >> 6);
      bytes[1] = static_cast<char>(0x80 | (code & 0x3F));
      count = 2;
    } else {
      bytes[0] = static_cast<char>(code);
      count = 1;
    }
    Put(w, bytes, count);
  }
  return true;
}

// One field of a line being read: [begin, end).
struct Field {
  const char* begin;
  std::size_t length;
};

bool FieldIs(const Field& field, const char* text) {
  return field.length == std::strlen(text) && std::memcmp(field.begin, text, field.length) == 0;
}

bool ReadHex(const Field& field, std::size_t digits, uint64_t* value) {
  if (field.length != digits) return false;
  uint64_t result = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = field.begin[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    result = result << 4 | static_cast<uint64_t>(digit);
  }
  *value = result;
  return true;
}

bool ReadHex32(const Field& field, uint32_t* value) {
  uint64_t wide = 0;
  if (!ReadHex(field, 8, &wide)) return false;
  *value = static_cast<uint32_t>(wide);
  return true;
}

// Exactly count digits from text.
bool ReadNumber(const char* text, int count, int64_t* value) {
  int64_t result = 0;
  for (int i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    result = result * 10 + (text[i] - '0');
  }
  *value = result;
  return true;
}

// A time exactly as PutTime writes it: a real date from 1601 to the last tick count there is.
bool ReadTime(const Field& field, int64_t* ticks) {
  // A fifth year digit only from 10000, so that no year has two spellings.
  const int yearDigits = field.length == 27 ? 4 : field.length == 28 ? 5 : 0;
  if (yearDigits == 0) return false;
  const char* t = field.begin;
  int64_t year, month, day, hour, minute, second, fraction;
  if (!ReadNumber(t, yearDigits, &year)) return false;
  t += yearDigits;
  if (t[0] != '-' || t[3] != '-' || t[6] != ' ' || t[9] != ':' || t[12] != ':' || t[15] != '.')
    return false;
  if (!ReadNumber(t + 1, 2, &month) || !ReadNumber(t + 4, 2, &day) ||
      !ReadNumber(t + 7, 2, &hour) || !ReadNumber(t + 10, 2, &minute) ||
      !ReadNumber(t + 13, 2, &second) || !ReadNumber(t + 16, 7, &fraction))
    return false;
  if (year < kFirstYear || year > kLastYear || (yearDigits == 5) != (year >= 10000)) return false;
  if (!IsValidDay(static_cast<int>(month), static_cast<int>(year), static_cast<int>(day)) ||
      hour > 23 || minute > 59 || second > 59)
    return false;
  const int64_t years = year - kFirstYear;
  int64_t days = years * 365 + years / 4 - years / 100 + years / 400 + (day - 1);
  for (int m = 1; m < month; ++m) days += DaysInMonth(static_cast<int>(year), m);
  const int64_t inDay = ((hour * 60 + minute) * 60 + second) * kTicksPerSecond + fraction;
  // Days times a day's ticks overflows only past 30828-09-14; the day's rest can still tip over.
  if (days > INT64_MAX / kTicksPerDay) return false;
  const int64_t dayStart = days * kTicksPerDay;
  if (inDay > INT64_MAX - dayStart) return false;
  *ticks = dayStart + inDay;
  return true;
}

// A written time: "-" for none, else a time that is not 0 (0 is written as "-").
bool ReadWrittenTime(const Field& field, int64_t* ticks) {
  if (FieldIs(field, kNotWritten)) {
    *ticks = 0;
    return true;
  }
  return ReadTime(field, ticks) && *ticks != 0;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Well-formed WTF-8 into 1..capacity units without a control character: shortest forms only, a
// lone surrogate as three bytes, but a surrogate pair only as the four bytes of its code point.
bool ReadPath(const Field& field, uint16_t* buffer, int capacity, int* units) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(field.begin);
  const std::size_t length = field.length;
  int count = 0;
  bool afterHighSurrogate = false;
  for (std::size_t i = 0; i < length;) {
    const unsigned char lead = p[i];
    uint32_t code;
    std::size_t size;
    if (lead < 0x80) {
      code = lead;
      size = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      code = lead & 0x1Fu;
      size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      code = lead & 0x0Fu;
      size = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      code = lead & 0x07u;
      size = 4;
    } else {
      return false;
    }
    if (size > length - i) return false;
    for (std::size_t k = 1; k < size; ++k) {
      if (!IsContinuation(p[i + k])) return false;
      code = code << 6 | (p[i + k] & 0x3Fu);
    }
    i += size;
    if ((size == 3 && code < 0x800) || (size == 4 && (code < 0x10000 || code > 0x10FFFF)))
      return false;
    if (code < 0x20) return false;
    if (IsLowSurrogate(code) && afterHighSurrogate) return false;
    afterHighSurrogate = IsHighSurrogate(code);
    const int needed = code >= 0x10000 ? 2 : 1;
    if (needed > capacity - count) return false;
    if (needed == 2) {
      buffer[count++] = static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10));
      buffer[count++] = static_cast<uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      buffer[count++] = static_cast<uint16_t>(code);
    }
  }
  *units = count;
  return count > 0;
}

LogLineKind ReadChangeFields(const Field* fields, LoggedChange* change, uint16_t* pathBuffer,
                             int capacity) {
  LoggedChange read = {};
  uint64_t volume = 0;
  if (!ReadPath(fields[1], pathBuffer, capacity, &read.pathUnits) ||
      !ReadHex(fields[2], 8, &volume) || !ReadHex(fields[3], 16, &read.fileId) ||
      !ReadHex32(fields[4], &read.attributesBefore))
    return LOG_LINE_BAD;
  read.path = pathBuffer;
  read.volume = static_cast<uint32_t>(volume);
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (!ReadTime(fields[5 + slot], &read.before.ticks[slot])) return LOG_LINE_BAD;
  }
  read.writesAttributes = !FieldIs(fields[8], kNotWritten);
  if (read.writesAttributes && !ReadHex32(fields[8], &read.attributesWritten)) return LOG_LINE_BAD;
  bool writesAny = read.writesAttributes;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (!ReadWrittenTime(fields[9 + slot], &read.written.ticks[slot])) return LOG_LINE_BAD;
    writesAny = writesAny || read.written.ticks[slot] != 0;
  }
  // The job logs only entries it writes something to.
  if (!writesAny) return LOG_LINE_BAD;
  *change = read;
  return LOG_LINE_CHANGE;
}

// Whether two times count as the same: at most the tolerance apart. The difference is taken
// without sign so that no two counts overflow it.
bool Near(int64_t a, int64_t b) {
  const uint64_t apart = a >= b ? static_cast<uint64_t>(a) - static_cast<uint64_t>(b)
                                : static_cast<uint64_t>(b) - static_cast<uint64_t>(a);
  return apart <= static_cast<uint64_t>(LOG_TIME_TOLERANCE);
}

// Whether the entry holds the given attributes in the compared bits and the given times in every
// slot the job wrote.
bool Holds(const LoggedChange& change, uint32_t compared, uint32_t attributes,
           const EntryTimes& times, uint32_t attributesNow, const EntryTimes& now) {
  if ((attributesNow & compared) != (attributes & compared)) return false;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (change.written.ticks[slot] != 0 && !Near(now.ticks[slot], times.ticks[slot])) return false;
  }
  return true;
}

// Whether every time the job wrote holds what the job wrote or what was there before.
bool LeftByJob(const LoggedChange& change, const EntryTimes& now) {
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (change.written.ticks[slot] != 0 && !Near(now.ticks[slot], change.written.ticks[slot]) &&
        !Near(now.ticks[slot], change.before.ticks[slot]))
      return false;
  }
  return true;
}

}  // namespace

std::size_t FormatLogHeader(const char* version, const DateTimeFields& start, char* out,
                            std::size_t size) {
  Writer w = {out, size, 0, false};
  PutText(w, kProgramName);
  PutByte(w, '\t');
  PutText(w, version);
  PutByte(w, '\t');
  PutCalendar(w, start);
  PutByte(w, '\t');
  PutText(w, kTimesAreUtc);
  return Finish(w);
}

std::size_t FormatChangeLine(const LoggedChange& change, char* out, std::size_t size) {
  if (change.pathUnits <= 0) return 0;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (change.before.ticks[slot] < 0 || change.written.ticks[slot] < 0) return 0;
  }
  Writer w = {out, size, 0, false};
  PutText(w, kKindChange);
  PutByte(w, '\t');
  if (!PutPath(w, change.path, change.pathUnits)) return 0;
  PutByte(w, '\t');
  PutHex(w, change.volume, 8);
  PutByte(w, '\t');
  PutHex(w, change.fileId, 16);
  PutByte(w, '\t');
  PutHex(w, change.attributesBefore, 8);
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    PutByte(w, '\t');
    PutTime(w, change.before.ticks[slot]);
  }
  PutByte(w, '\t');
  if (change.writesAttributes) {
    PutHex(w, change.attributesWritten, 8);
  } else {
    PutText(w, kNotWritten);
  }
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    PutByte(w, '\t');
    if (change.written.ticks[slot] == 0) {
      PutText(w, kNotWritten);
    } else {
      PutTime(w, change.written.ticks[slot]);
    }
  }
  return Finish(w);
}

std::size_t FormatTextLine(const char* kind, const char* const* fields, int count, char* out,
                           std::size_t size) {
  Writer w = {out, size, 0, false};
  PutText(w, kind);
  for (int i = 0; i < count; ++i) {
    PutByte(w, '\t');
    for (const char* c = fields[i]; *c != '\0'; ++c) {
      PutByte(w, *c == '\t' || *c == '\r' || *c == '\n' ? ' ' : *c);
    }
  }
  return Finish(w);
}

LogLineKind ReadLogLine(const char* line, std::size_t length, LoggedChange* change,
                        uint16_t* pathBuffer, int capacity) {
  if (length == 0) return LOG_LINE_OTHER;
  // No line the log writes holds a CR or LF: one here is a line broken apart.
  for (std::size_t i = 0; i < length; ++i) {
    if (line[i] == '\r' || line[i] == '\n') return LOG_LINE_BAD;
  }
  const std::size_t headerLength = sizeof kLogByteOrderMark + sizeof kProgramName;  // with tab
  if (length >= headerLength && std::memcmp(line, kLogByteOrderMark, sizeof kLogByteOrderMark) == 0 &&
      std::memcmp(line + sizeof kLogByteOrderMark, kProgramName, sizeof kProgramName - 1) == 0 &&
      line[headerLength - 1] == '\t')
    return LOG_LINE_HEADER;

  Field fields[kFieldCount];
  int count = 0;
  const char* begin = line;
  const char* end = line + length;
  for (const char* c = line;; ++c) {
    if (c == end || *c == '\t') {
      if (count == kFieldCount) return LOG_LINE_BAD;  // more fields than a change line has
      fields[count++] = Field{begin, static_cast<std::size_t>(c - begin)};
      if (count == 1 && (FieldIs(fields[0], kLogKindNotChanged) || FieldIs(fields[0], kLogKindCounts)))
        return LOG_LINE_OTHER;
      if (c == end) break;
      begin = c + 1;
    }
  }
  if (count != kFieldCount || !FieldIs(fields[0], kKindChange)) return LOG_LINE_BAD;
  return ReadChangeFields(fields, change, pathBuffer, capacity);
}

UndoWrite PlanUndo(const LoggedChange& change, uint32_t attributesNow, const EntryTimes& now) {
  UndoWrite write = {};
  const uint32_t changed =
      change.writesAttributes ? change.attributesBefore ^ change.attributesWritten : 0;
  const uint32_t compared = changed & kComparedBits;
  const uint32_t givenBack = changed & (kComparedBits | ATTR_ARCHIVE);
  // Before "as written": a job that wrote the values the entry held has nothing to undo.
  if (Holds(change, compared, change.attributesBefore, change.before, attributesNow, now)) {
    write.decision = UNDO_ALREADY_BEFORE;
    return write;
  }
  if (!LeftByJob(change, now)) {
    write.decision = UNDO_CHANGED_SINCE;
    return write;
  }
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (change.written.ticks[slot] != 0 && change.before.ticks[slot] <= 0) {
      write.decision = UNDO_CANNOT_RESTORE;
      return write;
    }
  }
  write.decision = UNDO_RESTORE;
  if (change.writesAttributes) {
    // As the job's own write (apply_plan.h): the folder bit is the entry's kind and "normal"
    // only stands for no attribute, so neither is written beside others.
    write.attributes = ((attributesNow & ~givenBack) | (change.attributesBefore & givenBack)) &
                       ~(ATTR_DIRECTORY | kAttributeNormal);
    if (write.attributes == 0) write.attributes = kAttributeNormal;
  }
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (change.written.ticks[slot] != 0) write.ticks[slot] = change.before.ticks[slot];
  }
  return write;
}
