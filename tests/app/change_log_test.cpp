// The change log's lines: written and read back to the same record, damaged lines refused, and
// what an undo decides for each entry from what it holds now.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/change_log.h"
#include "app/job_settings.h"

namespace {

const uint32_t R = ATTR_READONLY, H = ATTR_HIDDEN, S = ATTR_SYSTEM, A = ATTR_ARCHIVE,
               D = ATTR_DIRECTORY, N = 0x80;
const int64_t kSecond = kTicksPerSecond;
const int64_t kMostTicks = INT64_MAX;
const int64_t kLast9999 = 2650467743999999999;      // 9999-12-31 23:59:59.9999999
const int64_t kSomeTime = 127807652967890123;       // 2006-01-03 12:34:56.7890123
const int64_t kLeapDay = 125962597230000004;        // 2000-02-29 01:02:03.0000004
const char kSomeTimeText[] = "2006-01-03 12:34:56.7890123";

std::string Line(const LoggedChange& change) {
  std::vector<char> out(LOG_LINE_MOST_BYTES);
  std::size_t length = FormatChangeLine(change, out.data(), out.size());
  return std::string(out.data(), length);
}

std::u16string Repeat(char16_t unit, int count) { return std::u16string(count, unit); }

std::string RepeatText(const std::string& text, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

void ExpectSameChange(const LoggedChange& expected, const LoggedChange& read, const char* what) {
  ASSERT_EQ(expected.pathUnits, read.pathUnits) << what;
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(expected.path), expected.pathUnits),
            std::u16string(reinterpret_cast<const char16_t*>(read.path), read.pathUnits))
      << what;
  EXPECT_EQ(expected.volume, read.volume) << what;
  EXPECT_EQ(expected.fileId, read.fileId) << what;
  EXPECT_EQ(expected.attributesBefore, read.attributesBefore) << what;
  EXPECT_EQ(expected.writesAttributes, read.writesAttributes) << what;
  EXPECT_EQ(expected.attributesWritten, read.attributesWritten) << what;
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    EXPECT_EQ(expected.before.ticks[slot], read.before.ticks[slot]) << what << " slot " << slot;
    EXPECT_EQ(expected.written.ticks[slot], read.written.ticks[slot]) << what << " slot " << slot;
  }
}

struct RoundTripCase {
  const char* what;
  std::u16string path;
  std::string pathText;  // its UTF-8
  int64_t tick;          // before creation, and written last write
  const char* tickText;
  bool writesAttributes;
  bool lowerHex;  // read back with the hex digits in lower case
};

const RoundTripCase kRoundTrips[] = {
    {"plain", u"C:\\a\\\u3042.txt", u8"C:\\a\\あ.txt", kSomeTime, kSomeTimeText, true, false},
    {"lower-case hex read the same", u"C:\\x", "C:\\x", kSomeTime, kSomeTimeText, true, true},
    {"lone high surrogate", u"a\xD83D" "b", "a\xED\xA0\xBD" "b", kSomeTime, kSomeTimeText, true,
     false},
    {"lone low surrogate at the end", u"a\xDE00", "a\xED\xB8\x80", kSomeTime, kSomeTimeText, false,
     false},
    {"low then high: two lone ones", u"\xDE00\xD83D", "\xED\xB8\x80\xED\xA0\xBD", kSomeTime,
     kSomeTimeText, true, false},
    {"a pair: one code point", u"\xD83D\xDE00", "\xF0\x9F\x98\x80", kSomeTime, kSomeTimeText, true,
     false},
    {"two bytes and DEL", u"\u00E9\u007F\u07FF", "\xC3\xA9\x7F\xDF\xBF", kSomeTime, kSomeTimeText,
     true, false},
    {"32767 lone surrogates", Repeat(0xDC00, 32767), RepeatText("\xED\xB0\x80", 32767), kSomeTime,
     kSomeTimeText, true, false},
    {"tick 0 before; not written", u"x", "x", 0, "1601-01-01 00:00:00.0000000", true, false},
    {"a leap day", u"x", "x", kLeapDay, "2000-02-29 01:02:03.0000004", true, false},
    {"the last day of 400 years", u"x", "x", 126227807999999999, "2000-12-31 23:59:59.9999999",
     true, false},
    {"the last day of a leap year", u"x", "x", 127489680000000000, "2004-12-31 12:00:00.0000000",
     true, false},
    {"the last tick of 9999", u"x", "x", kLast9999, "9999-12-31 23:59:59.9999999", true, false},
    {"the first of 10000: five digits", u"x", "x", kLast9999 + 1, "10000-01-01 00:00:00.0000000",
     true, false},
    {"the largest tick count", u"x", "x", kMostTicks, "30828-09-14 02:48:05.4775807", false, true},
};

// Every record is written exactly as expected, read back to the same record, and written again
// to the same bytes.
TEST(ChangeLog, ChangeLinesReadBackToTheSameRecord) {
  for (const RoundTripCase& c : kRoundTrips) {
    LoggedChange change = {};
    change.path = reinterpret_cast<const uint16_t*>(c.path.data());
    change.pathUnits = static_cast<int>(c.path.size());
    change.volume = 0x0123ABCD;
    change.fileId = 0x00FEDCBA98765432;
    change.attributesBefore = R | A;
    change.before = EntryTimes{{c.tick, kSomeTime, 1}};
    change.writesAttributes = c.writesAttributes;
    change.attributesWritten = c.writesAttributes ? H | 0x2000 : 0;
    change.written = EntryTimes{{0, c.tick, kSomeTime}};
    const std::string written = c.tick == 0 ? "-" : c.tickText;
    const std::string expected = u8"変更\t" + c.pathText + "\t0123ABCD\t00FEDCBA98765432\t00000021\t" +
                                 c.tickText + "\t" + kSomeTimeText +
                                 "\t1601-01-01 00:00:00.0000001\t" +
                                 (c.writesAttributes ? "00002002" : "-") + "\t-\t" + written +
                                 "\t" + kSomeTimeText + "\r\n";
    const std::string line = Line(change);
    ASSERT_EQ(expected, line) << c.what;

    std::string text = line.substr(0, line.size() - 2);
    int field = 0;  // volume, file id and the two attribute fields
    for (char& ch : text) {
      field += ch == '\t';
      const bool hex = (field >= 2 && field <= 4) || field == 8;
      if (c.lowerHex && hex && ch >= 'A' && ch <= 'F') ch = static_cast<char>(ch - 'A' + 'a');
    }
    std::vector<uint16_t> buffer(32767);
    LoggedChange read = {};
    ASSERT_EQ(LOG_LINE_CHANGE, ReadLogLine(text.data(), text.size(), &read, buffer.data(), 32767))
        << c.what;
    ExpectSameChange(change, read, c.what);
    EXPECT_EQ(line, Line(read)) << c.what;
  }
}

// The fields of a good change line; each bad case replaces one.
const char* const kGoodFields[12] = {
    u8"変更",        u8"C:\\あ",      "0123ABCD",    "00FEDCBA98765432",
    "00000021",      kSomeTimeText,   kSomeTimeText, kSomeTimeText,
    "00000002",      kSomeTimeText,   "-",           "-"};

struct LineCase {
  const char* what;
  int field;  // -1: the line as it is; else kGoodFields with this one replaced
  std::string text;
  LogLineKind kind;
  int capacity;
};

std::string Join(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  return line;
}

std::string GoodLine() { return Join(std::vector<std::string>(kGoodFields, kGoodFields + 12)); }

const LineCase kLines[] = {
    {"the good line itself", 0, kGoodFields[0], LOG_LINE_CHANGE, 4},
    {"11 fields", -1, GoodLine().substr(0, GoodLine().rfind('\t')), LOG_LINE_BAD, 64},
    {"13 fields", -1, GoodLine() + "\t-", LOG_LINE_BAD, 64},
    {"another kind", 0, u8"変更x", LOG_LINE_BAD, 64},
    {"volume of 7 digits", 2, "123ABCD", LOG_LINE_BAD, 64},
    {"volume of 9 digits", 2, "0123ABCDE", LOG_LINE_BAD, 64},
    {"file id of 15 digits", 3, "0FEDCBA98765432", LOG_LINE_BAD, 64},
    {"attributes not hex", 4, "0000002G", LOG_LINE_BAD, 64},
    {"attributes before never '-'", 4, "-", LOG_LINE_BAD, 64},
    {"Feb 30", 5, "2006-02-30 12:34:56.7890123", LOG_LINE_BAD, 64},
    {"month 13", 6, "2006-13-01 00:00:00.0000000", LOG_LINE_BAD, 64},
    {"hour 24", 7, "2006-01-03 24:00:00.0000000", LOG_LINE_BAD, 64},
    {"second 60", 5, "2006-01-03 12:00:60.0000000", LOG_LINE_BAD, 64},
    {"six fraction digits", 5, "2006-01-03 12:00:00.000000", LOG_LINE_BAD, 64},
    {"before 1601", 5, "1600-12-31 23:59:59.9999999", LOG_LINE_BAD, 64},
    {"one tick past the largest", 5, "30828-09-14 02:48:05.4775808", LOG_LINE_BAD, 64},
    {"a year of five digits below 10000", 5, "09999-01-01 00:00:00.0000000", LOG_LINE_BAD, 64},
    {"a time before never '-'", 6, "-", LOG_LINE_BAD, 64},
    {"a written 0 spelled as a date", 10, "1601-01-01 00:00:00.0000000", LOG_LINE_BAD, 64},
    {"a written time one tick past 0", 10, "1601-01-01 00:00:00.0000001", LOG_LINE_CHANGE, 64},
    {"nothing written", -1,
     Join({kGoodFields[0], kGoodFields[1], kGoodFields[2], kGoodFields[3], kGoodFields[4],
           kSomeTimeText, kSomeTimeText, kSomeTimeText, "-", "-", "-", "-"}),
     LOG_LINE_BAD, 64},
    {"overlong '/'", 1, "a\xC0\xAF", LOG_LINE_BAD, 64},
    {"overlong in three bytes", 1, "\xE0\x80\xAF", LOG_LINE_BAD, 64},
    {"a pair as two surrogates", 1, "\xED\xA0\x80\xED\xB0\x80", LOG_LINE_BAD, 64},
    {"past U+10FFFF", 1, "\xF4\x90\x80\x80", LOG_LINE_BAD, 64},
    {"a lone continuation byte", 1, "a\x80", LOG_LINE_BAD, 64},
    {"truncated at the field's end", 1, "a\xE3\x81", LOG_LINE_BAD, 64},
    {"a control character", 1, "a\x1F" "b", LOG_LINE_BAD, 64},
    {"an empty path", 1, "", LOG_LINE_BAD, 64},
    {"a bare CR in the path", 1, "a\rb", LOG_LINE_BAD, 64},
    {"a path of one unit more than room", 0, kGoodFields[0], LOG_LINE_BAD, 3},
    {"a pair with room for one unit", 1, "\xF0\x9F\x98\x80", LOG_LINE_BAD, 1},
    {"a pair with room for two", 1, "\xF0\x9F\x98\x80", LOG_LINE_CHANGE, 2},
    {"a CR at the end", -1, GoodLine() + "\r", LOG_LINE_BAD, 64},
    {"the header", -1, "\xEF\xBB\xBFMorvane\t1.0", LOG_LINE_HEADER, 64},
    {"the header without its tab", -1, "\xEF\xBB\xBFMorvane", LOG_LINE_BAD, 64},
    {"the header without its mark", -1, "Morvane\t1.0", LOG_LINE_BAD, 64},
    {"a header with a CR", -1, "\xEF\xBB\xBFMorvane\t1.0\r", LOG_LINE_BAD, 64},
    {"an empty line", -1, "", LOG_LINE_OTHER, 64},
    {"not changed", -1, u8"変更せず\tC:\\a\t理由\t5", LOG_LINE_OTHER, 64},
    {"counts alone", -1, u8"件数", LOG_LINE_OTHER, 64},
    {"counts", -1, u8"件数\t3\t1", LOG_LINE_OTHER, 64},
    {"anything else", -1, "hello", LOG_LINE_BAD, 64},
};

// Each line, copied into a buffer of its exact size so that a read past its end is caught, and
// the path written into one of exactly the capacity.
TEST(ChangeLog, ReadsEachKindOfLineAndRefusesDamagedOnes) {
  for (const LineCase& c : kLines) {
    std::string text = c.text;
    if (c.field >= 0) {
      std::vector<std::string> fields(kGoodFields, kGoodFields + 12);
      fields[c.field] = c.text;
      text = Join(fields);
    }
    std::vector<char> line(text.begin(), text.end());
    std::vector<uint16_t> buffer(c.capacity);
    LoggedChange read = {};
    EXPECT_EQ(c.kind, ReadLogLine(line.data(), line.size(), &read, buffer.data(), c.capacity))
        << c.what;
  }
}

TEST(ChangeLog, RefusesEntriesItCannotLogExactly) {
  const std::u16string good = u"C:\\a";
  const std::u16string tab = u"C:\\a\tb";
  LoggedChange change = {};
  change.path = reinterpret_cast<const uint16_t*>(good.data());
  change.pathUnits = 4;
  change.before = EntryTimes{{kSomeTime, kSomeTime, kSomeTime}};
  change.written = EntryTimes{{kSomeTime, 0, 0}};
  const std::size_t length = Line(change).size();
  ASSERT_GT(length, 0u);
  char out[512];
  EXPECT_EQ(length, FormatChangeLine(change, out, length));
  EXPECT_EQ(0u, FormatChangeLine(change, out, length - 1));

  LoggedChange bad = change;
  bad.path = reinterpret_cast<const uint16_t*>(tab.data());
  bad.pathUnits = 6;
  EXPECT_EQ(0u, FormatChangeLine(bad, out, sizeof out)) << "tab";
  bad = change;
  bad.pathUnits = 0;
  EXPECT_EQ(0u, FormatChangeLine(bad, out, sizeof out)) << "no path";
  bad = change;
  bad.before.ticks[SLOT_LAST_ACCESS] = -1;
  EXPECT_EQ(0u, FormatChangeLine(bad, out, sizeof out)) << "negative before";
  bad = change;
  bad.written.ticks[SLOT_LAST_WRITE] = INT64_MIN;
  EXPECT_EQ(0u, FormatChangeLine(bad, out, sizeof out)) << "negative written";
}

TEST(ChangeLog, HeaderAndTextLines) {
  char out[128];
  const DateTimeFields start = {2006, 1, 3, 9, 5, 7};
  std::size_t length = FormatLogHeader("1.2.3", start, out, sizeof out);
  const std::string header = u8"Morvane\t1.2.3\t2006-01-03 09:05:07\t時刻は UTC\r\n";
  ASSERT_EQ(header, std::string(out, length));
  EXPECT_EQ(0u, FormatLogHeader("1.2.3", start, out, header.size() - 1));
  const std::string first = std::string(kLogByteOrderMark, 3) + header.substr(0, header.size() - 2);
  EXPECT_EQ(LOG_LINE_HEADER, ReadLogLine(first.data(), first.size(), nullptr, nullptr, 0));

  const char* const fields[] = {"C:\\a\tb", u8"理由\r\n", "5"};
  length = FormatTextLine(kLogKindNotChanged, fields, 3, out, sizeof out);
  const std::string line = u8"変更せず\tC:\\a b\t理由  \t5\r\n";
  ASSERT_EQ(line, std::string(out, length));
  EXPECT_EQ(0u, FormatTextLine(kLogKindNotChanged, fields, 3, out, line.size() - 1));
  EXPECT_EQ(LOG_LINE_OTHER, ReadLogLine(out, length - 2, nullptr, nullptr, 0));
}

// Times of the entry before the job, and what it wrote.
const int64_t kBefore1 = 128000000000000000, kBefore2 = 128100000000000000,
              kBefore3 = 128200000000000000;
const int64_t kWritten1 = 129000000000000000, kWritten2 = 129100000000000000,
              kWritten3 = 129200000000000000;
const int64_t kOther = 130000000000000000;

// The job cleared read-only and archive and set hidden, and wrote creation and last access.
const LoggedChange kBoth = {nullptr, 0, 0, 0, R | A, {{kBefore1, kBefore2, kBefore3}}, true, H,
                            {{kWritten1, 0, kWritten3}}};
// The job set hidden on a file that had no attribute (the platform reports "normal").
const LoggedChange kHideNormal = {nullptr, 0, 0, 0, N, {{kBefore1, kBefore2, kBefore3}}, true, H,
                                  {{0, 0, 0}}};
// The job set hidden on a folder that had no attribute.
const LoggedChange kHideFolder = {nullptr, 0, 0, 0, D, {{kBefore1, kBefore2, kBefore3}}, true,
                                  D | H, {{0, 0, 0}}};
// Times only: last write.
const LoggedChange kTimesOnly = {nullptr, 0, 0, 0, R | H | S, {{kBefore1, kBefore2, kBefore3}},
                                 false, 0, {{0, kWritten2, 0}}};
// Creation was 0 before the job, which no write can give back.
const LoggedChange kCreationZero = {nullptr, 0, 0, 0, A, {{0, kBefore2, kBefore3}}, false, 0,
                                    {{kWritten1, 0, 0}}};
// The job wrote what the entry held already.
const LoggedChange kSameValues = {nullptr, 0, 0, 0, A | H, {{kBefore1, kBefore2, kBefore3}}, true,
                                  H | A, {{kBefore1, 0, 0}}};

struct UndoCase {
  const char* what;
  const LoggedChange* change;
  uint32_t attributesNow;
  EntryTimes now;
  UndoDecision decision;
  uint32_t attributes;  // UNDO_RESTORE
  EntryTimes ticks;     // UNDO_RESTORE
};

const UndoCase kUndoCases[] = {
    {"as written: restore", &kBoth, H, {{kWritten1, kOther, kWritten3}}, UNDO_RESTORE, R | A,
     {{kBefore1, 0, kBefore3}}},
    {"archive set since: not compared", &kBoth, H | A, {{kWritten1, kOther, kWritten3}},
     UNDO_RESTORE, R | A, {{kBefore1, 0, kBefore3}}},
    {"bits the job did not change keep what they hold now", &kBoth, H | S | 0x2000,
     {{kWritten1, kOther, kWritten3}}, UNDO_RESTORE, R | A | S | 0x2000, {{kBefore1, 0, kBefore3}}},
    {"written times within 2 s", &kBoth, H,
     {{kWritten1 - 2 * kSecond, kOther, kWritten3 + 2 * kSecond}}, UNDO_RESTORE, R | A,
     {{kBefore1, 0, kBefore3}}},
    {"a written time just over 2 s off", &kBoth, H,
     {{kWritten1, kOther, kWritten3 + 2 * kSecond + 1}}, UNDO_CHANGED_SINCE, 0, {{0, 0, 0}}},
    // Killed between the steps of the one write: each field the job's value or the old one.
    {"one time as written, one as before", &kBoth, H, {{kWritten1, kOther, kBefore3}},
     UNDO_RESTORE, R | A, {{kBefore1, 0, kBefore3}}},
    {"times as written, hidden as before", &kBoth, R | A, {{kWritten1, kOther, kWritten3}},
     UNDO_RESTORE, R | A, {{kBefore1, 0, kBefore3}}},
    {"read-only as before, hidden as written", &kBoth, R | H, {{kWritten1, kOther, kWritten3}},
     UNDO_RESTORE, R | A, {{kBefore1, 0, kBefore3}}},
    {"killed before its write: already before", &kBoth, R | A, {{kBefore1, kOther, kBefore3}},
     UNDO_ALREADY_BEFORE, 0, {{0, 0, 0}}},
    {"put back already, within 2 s, archive gone", &kBoth, R,
     {{kBefore1 + 2 * kSecond, kOther, kBefore3}}, UNDO_ALREADY_BEFORE, 0, {{0, 0, 0}}},
    {"nothing left: normal", &kHideNormal, H, {{kOther, kOther, kOther}}, UNDO_RESTORE, N,
     {{0, 0, 0}}},
    {"a folder with nothing left: normal, never the folder bit", &kHideFolder, D | H,
     {{kOther, kOther, kOther}}, UNDO_RESTORE, N, {{0, 0, 0}}},
    {"times only: attributes not written", &kTimesOnly, 0, {{kOther, kWritten2, kOther}},
     UNDO_RESTORE, 0, {{0, kBefore2, 0}}},
    {"times only: last write changed since", &kTimesOnly, R, {{kBefore1, kOther, kBefore3}},
     UNDO_CHANGED_SINCE, 0, {{0, 0, 0}}},
    {"a time that was 0", &kCreationZero, A, {{kWritten1, kBefore2, kBefore3}},
     UNDO_CANNOT_RESTORE, 0, {{0, 0, 0}}},
    {"a time that was 0, changed since", &kCreationZero, A, {{kOther, kBefore2, kBefore3}},
     UNDO_CHANGED_SINCE, 0, {{0, 0, 0}}},
    {"the job wrote what was there", &kSameValues, A | H, {{kBefore1, kOther, kOther}},
     UNDO_ALREADY_BEFORE, 0, {{0, 0, 0}}},
};

TEST(ChangeLog, PlanUndoDecidesFromWhatTheEntryHoldsNow) {
  for (const UndoCase& c : kUndoCases) {
    const UndoWrite write = PlanUndo(*c.change, c.attributesNow, c.now);
    ASSERT_EQ(c.decision, write.decision) << c.what;
    if (c.decision != UNDO_RESTORE) continue;
    EXPECT_EQ(c.attributes, write.attributes) << c.what;
    for (int slot = 0; slot < TIME_SLOTS; ++slot) {
      EXPECT_EQ(c.ticks.ticks[slot], write.ticks[slot]) << c.what << " slot " << slot;
    }
  }
}

}  // namespace
