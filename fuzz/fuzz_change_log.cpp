// libFuzzer target over the change log's lines: ReadLogLine, the reader of every line an undo
// takes from a log, FormatChangeLine, and PlanUndo on what was read.
//
// Input: the control byte gives the path capacity (bit 7 set: 32767 units, else its low 7 bits,
// 0 among them); the bytes up to the first zero byte are the line; the bytes after it, raw, are a
// mode byte, 4 bytes of attributes, six 8-byte values (little-endian, missing bytes are 0) and
// then UTF-16 units (little-endian), a path.
// Checks beyond "no crash": a line read as a change is written again to exactly its own bytes
// (hex digits in upper case) and reads back to the same record, and decodes into at most the
// capacity; a header, an empty line or a "変更せず"/"件数" line is what its first bytes say. The
// path of the units after the values, with the six values as times, is refused by
// FormatChangeLine exactly for a control character or a negative time, and otherwise read back to
// the same record. PlanUndo on the record read, against an entry holding its written or its
// before values as the mode byte picks, moved by the values: a decision the values bear out, and
// a restore writes back only the times the job wrote and changes no attribute bit it did not.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/change_log.h"
#include "fuzz_input.h"

namespace {

const uint32_t kCompared = 0x07, kGivenBack = 0x27, kFolder = 0x10, kNormal = 0x80;

struct Tail {
  uint8_t mode = 0;
  uint32_t attributes = 0;
  uint64_t values[6] = {};
  std::vector<uint16_t> units;
};

Tail ReadTail(const uint8_t* data, size_t size) {
  uint8_t bytes[1 + 4 + 48] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  Tail tail;
  tail.mode = bytes[0];
  for (int i = 3; i >= 0; --i) tail.attributes = tail.attributes << 8 | bytes[1 + i];
  for (int v = 0; v < 6; ++v) {
    for (int i = 7; i >= 0; --i) tail.values[v] = tail.values[v] << 8 | bytes[5 + 8 * v + i];
  }
  for (size_t i = sizeof bytes; i + 1 < size; i += 2) {
    tail.units.push_back(static_cast<uint16_t>(data[i] | data[i + 1] << 8));
  }
  return tail;
}

bool SameChange(const LoggedChange& a, const LoggedChange& b) {
  if (a.pathUnits != b.pathUnits || a.volume != b.volume || a.fileId != b.fileId ||
      a.attributesBefore != b.attributesBefore || a.writesAttributes != b.writesAttributes ||
      a.attributesWritten != b.attributesWritten)
    return false;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (a.before.ticks[slot] != b.before.ticks[slot] ||
        a.written.ticks[slot] != b.written.ticks[slot])
      return false;
  }
  return std::memcmp(a.path, b.path, sizeof(uint16_t) * static_cast<size_t>(a.pathUnits)) == 0;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// Whether the entry holds the values (the compared bits, every written time within 2 s).
bool Holds(const LoggedChange& change, uint32_t compared, uint32_t attributes,
           const EntryTimes& times, uint32_t attributesNow, const EntryTimes& now) {
  if (((attributesNow ^ attributes) & compared) != 0) return false;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    __int128 apart = static_cast<__int128>(now.ticks[slot]) - times.ticks[slot];
    if (change.written.ticks[slot] != 0 && (apart > LOG_TIME_TOLERANCE || apart < -LOG_TIME_TOLERANCE))
      return false;
  }
  return true;
}

// Whether each time the job wrote holds what the job wrote or what was there before (within
// 2 s): what the job alone may leave, also cut between the steps of its one write.
bool LeftByJob(const LoggedChange& change, const EntryTimes& now) {
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (change.written.ticks[slot] == 0) continue;
    bool near = false;
    for (int64_t value : {change.written.ticks[slot], change.before.ticks[slot]}) {
      __int128 apart = static_cast<__int128>(now.ticks[slot]) - value;
      near = near || (apart <= LOG_TIME_TOLERANCE && apart >= -LOG_TIME_TOLERANCE);
    }
    if (!near) return false;
  }
  return true;
}

void CheckUndo(const LoggedChange& change, const Tail& tail) {
  uint32_t attributesNow =
      ((tail.mode & 1) ? change.attributesBefore : change.attributesWritten) ^ tail.attributes;
  EntryTimes now;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    int64_t base = (tail.mode >> (1 + slot) & 1) ? change.before.ticks[slot]
                                                 : change.written.ticks[slot];
    now.ticks[slot] = static_cast<int64_t>(static_cast<uint64_t>(base) + tail.values[slot]);
  }
  const UndoWrite write = PlanUndo(change, attributesNow, now);
  const uint32_t changed =
      change.writesAttributes ? change.attributesBefore ^ change.attributesWritten : 0;
  const bool asBefore =
      Holds(change, changed & kCompared, change.attributesBefore, change.before, attributesNow, now);
  const bool asWritten = LeftByJob(change, now);
  bool restorable = true;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    if (change.written.ticks[slot] != 0 && change.before.ticks[slot] <= 0) restorable = false;
  }
  switch (write.decision) {
    case UNDO_ALREADY_BEFORE: Check(asBefore); break;
    case UNDO_CHANGED_SINCE: Check(!asBefore && !asWritten); break;
    case UNDO_CANNOT_RESTORE: Check(!asBefore && asWritten && !restorable); break;
    case UNDO_RESTORE: Check(!asBefore && asWritten && restorable); break;
    default: Check(false);
  }
  if (write.decision != UNDO_RESTORE) return;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    Check(write.ticks[slot] == (change.written.ticks[slot] != 0 ? change.before.ticks[slot] : 0));
  }
  const uint32_t a = write.attributes;
  if (!change.writesAttributes) {
    Check(a == 0);
    return;
  }
  const uint32_t givenBack = changed & kGivenBack;
  // Never the folder bit; "normal" only alone; the bits given back as they were before; every
  // other bit as the entry holds it now.
  Check(a != 0 && (a & kFolder) == 0 && ((a & kNormal) == 0 || a == kNormal));
  Check((a & givenBack) == (change.attributesBefore & givenBack));
  const uint32_t kept = ~(givenBack | kFolder | kNormal);
  Check(a == kNormal ? (attributesNow & kept) == 0 : (a & kept) == (attributesNow & kept));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int capacity = (data[0] & 0x80) ? 32767 : (data[0] & 0x7F);
  const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data + 1, 0, size - 1));
  const size_t lineSize = end ? static_cast<size_t>(end - (data + 1)) : size - 1;
  // The line and the path in buffers of their exact size, so that any step beyond is caught.
  std::vector<char> line(data + 1, data + 1 + lineSize);
  const Tail tail = end ? ReadTail(end + 1, size - lineSize - 2) : Tail();
  const std::string text(line.begin(), line.end());

  std::vector<uint16_t> path(static_cast<size_t>(capacity));
  LoggedChange change = {};
  const LogLineKind kind = ReadLogLine(line.data(), line.size(), &change, path.data(), capacity);
  std::vector<char> out(LOG_LINE_MOST_BYTES);
  switch (kind) {
    case LOG_LINE_HEADER:
      Check(StartsWith(text, std::string(kLogByteOrderMark, 3) + "Morvane\t"));
      break;
    case LOG_LINE_OTHER:
      Check(text.empty() || text == kLogKindNotChanged || text == kLogKindCounts ||
            StartsWith(text, std::string(kLogKindNotChanged) + "\t") ||
            StartsWith(text, std::string(kLogKindCounts) + "\t"));
      break;
    case LOG_LINE_BAD:
      break;
    case LOG_LINE_CHANGE: {
      Check(change.path == path.data() && change.pathUnits >= 1 && change.pathUnits <= capacity);
      const size_t length = FormatChangeLine(change, out.data(), out.size());
      Check(length == lineSize + 2 && out[lineSize] == '\r' && out[lineSize + 1] == '\n');
      int field = 0;
      for (size_t i = 0; i < lineSize; ++i) {
        const char c = text[i];
        field += c == '\t';
        const bool hex = (field >= 2 && field <= 4) || field == 8;
        const char upper = hex && c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
        Check(out[i] == upper);
      }
      Check(FormatChangeLine(change, out.data(), length - 1) == 0);
      std::vector<uint16_t> again(static_cast<size_t>(change.pathUnits));
      LoggedChange reread = {};
      Check(ReadLogLine(out.data(), lineSize, &reread, again.data(), change.pathUnits) ==
                LOG_LINE_CHANGE &&
            SameChange(change, reread));
      CheckUndo(change, tail);
      break;
    }
    default:
      Check(false);
  }

  // The other way: a path of UTF-16 units, the values as times.
  std::vector<uint16_t> units(tail.units);
  bool control = false;
  for (uint16_t unit : units) control = control || unit < 0x20;
  LoggedChange logged = {units.data(), static_cast<int>(units.size()), tail.attributes,
                         tail.values[0] ^ tail.values[3], tail.attributes, {}, (tail.mode & 0x10) != 0,
                         ~tail.attributes, {}};
  if (!logged.writesAttributes) logged.attributesWritten = 0;
  bool negative = false, writesAny = logged.writesAttributes;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    logged.before.ticks[slot] = static_cast<int64_t>(tail.values[slot]);
    // Now and then a written time of 0, which is "not written".
    logged.written.ticks[slot] =
        (tail.mode >> (5 + slot) & 1) ? 0 : static_cast<int64_t>(tail.values[3 + slot]);
    negative = negative || logged.before.ticks[slot] < 0 || logged.written.ticks[slot] < 0;
    writesAny = writesAny || logged.written.ticks[slot] != 0;
  }
  const size_t length = FormatChangeLine(logged, out.data(), out.size());
  Check((length == 0) == (units.empty() || control || negative));
  if (length == 0) return 0;
  Check(length >= 2 && out[length - 2] == '\r' && out[length - 1] == '\n');
  std::vector<uint16_t> readPath(units.size());
  LoggedChange read = {};
  const LogLineKind readKind = ReadLogLine(out.data(), length - 2, &read, readPath.data(),
                                           static_cast<int>(readPath.size()));
  // Nothing written is no change the job logs; a reader refuses it.
  Check(writesAny ? readKind == LOG_LINE_CHANGE && SameChange(logged, read) : readKind == LOG_LINE_BAD);
  return 0;
}
