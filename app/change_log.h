// The lines of a change log: what a job writes before it changes each entry (write-ahead), so
// that an undo can put every entry back, also after a job killed half-way; and what the undo
// reads back from them and decides for each entry. Platform-free.
//
// The file is UTF-8 with a byte-order mark, lines end in CRLF, fields are separated by tabs, so
// that spreadsheets and scripts read it as it is:
//   Morvane <TAB> version <TAB> start (local, "yyyy-mm-dd hh:mm:ss") <TAB> 時刻は UTC
//   変更 <TAB> path <TAB> volume <TAB> file id <TAB> attributes before <TAB> creation before
//        <TAB> last write before <TAB> last access before <TAB> attributes written <TAB>
//        creation written <TAB> last write written <TAB> last access written
//   変更せず <TAB> path as the trace shows it <TAB> reason <TAB> error code
//   件数 <TAB> the counts, as the trace gives them
// Paths are the entry's literal UTF-16 path, taken into UTF-8 exactly (a lone surrogate, which
// Windows allows in a name, as its own three bytes, as WTF-8 does). The volume is 8 hex digits,
// the file id 16, attributes 8; a time is "yyyy-mm-dd hh:mm:ss.fffffff" in UTC, exact to the
// 100 ns tick; a value not written by the job is "-".
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/time_values.h"

// "\xEF\xBB\xBF": the byte-order mark that opens the file.
extern const char kLogByteOrderMark[3];

// One entry the job is about to change: what it held and what the job writes. path is not
// owned; on reading it points into the caller's buffer.
struct LoggedChange {
  const uint16_t* path;
  int pathUnits;
  uint32_t volume;
  uint64_t fileId;
  uint32_t attributesBefore;
  EntryTimes before;
  bool writesAttributes;
  uint32_t attributesWritten;
  EntryTimes written;  // 0: that time is not written
};

// The most bytes a change line can take: a path of 32767 units at 3 bytes each, and the fields.
enum { LOG_LINE_MOST_BYTES = 32767 * 3 + 512 };

// The first line (byte-order mark not included): program name, version and the local start
// time. The length written (with CRLF, no terminator), or 0 when it does not fit size bytes.
std::size_t FormatLogHeader(const char* version, const DateTimeFields& start, char* out,
                            std::size_t size);

// A change line, CRLF included; 0 when it does not fit, or when the entry cannot be logged so
// that an undo reads it back exactly (a control character in the path, a negative time): the
// job must then leave that entry as it is.
std::size_t FormatChangeLine(const LoggedChange& change, char* out, std::size_t size);

// A line from the other fields, already in UTF-8, each a field of its own (no tab, CR or LF in
// them; any there is written as a space): "変更せず" and "件数" lines.
std::size_t FormatTextLine(const char* kind, const char* const* fields, int count, char* out,
                           std::size_t size);
extern const char kLogKindNotChanged[];  // u8"変更せず"
extern const char kLogKindCounts[];      // u8"件数"

// What a line of a log is. A line is given without its CRLF.
enum LogLineKind : uint8_t {
  LOG_LINE_HEADER,  // the first line: the byte-order mark, then "Morvane" and a tab
  LOG_LINE_CHANGE,
  LOG_LINE_OTHER,   // a line the undo has no use for: "変更せず", "件数", an empty line
  LOG_LINE_BAD,     // a change line that cannot be read exactly, or a line of no kind known
};

// Reads one line. For LOG_LINE_CHANGE the path is decoded into pathBuffer (capacity units, no
// terminator written) and change points to it. Never reads beyond length bytes.
LogLineKind ReadLogLine(const char* line, std::size_t length, LoggedChange* change,
                        uint16_t* pathBuffer, int capacity);

// What an undo does with one logged entry, from what the entry (found by its volume and file
// id) holds now.
enum UndoDecision : uint8_t {
  UNDO_RESTORE,         // it holds what the job left: write back what it held before
  UNDO_ALREADY_BEFORE,  // it holds what it held before the job (never changed, or put back)
  UNDO_CHANGED_SINCE,   // a time the job wrote holds a third value since: left, and told
  UNDO_CANNOT_RESTORE,  // a time before the job that no write can give back (0): left, told
};

struct UndoWrite {
  UndoDecision decision;
  uint32_t attributes;             // UNDO_RESTORE: to write, 0 when the job wrote none
  int64_t ticks[TIME_SLOTS];       // UNDO_RESTORE: to write, 0 where the job wrote none
};

// Only what the job wrote is compared and given back: the offered attributes it changed, and
// the times it wrote. What the job left is, field by field, what it wrote or what was there
// before: a kill can fall between the steps in which the platform makes one write (Wine writes
// the times, then the attributes), and a field at its old value loses nothing when it is put
// back. An attribute bit holds one of its two values, so only a time can show a change since.
// Archive is given back but not compared: the system itself sets it on every
// write to a file's contents, and Wine reports it on every file whatever is written. A time
// counts as the same within LOG_TIME_TOLERANCE, the coarsest step a file system keeps a time in
// (FAT's two seconds). The attributes the job did not change keep what the entry holds now; a
// result of no attribute at all is written as FILE_ATTRIBUTE_NORMAL (0x80), since 0 leaves them.
const int64_t LOG_TIME_TOLERANCE = 2 * kTicksPerSecond;
UndoWrite PlanUndo(const LoggedChange& change, uint32_t attributesNow, const EntryTimes& now);
