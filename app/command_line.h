// The command line's own rules: splitting the text into arguments, the attribute letters of
// "/on:", "/off:" and "/nop:", and the date and time text of the timestamp options.
#pragma once

#include <cstdint>

// One allocated block: count + 1 pointers (the last null) followed by the texts. Release the
// whole vector with free(). Returns null when memory runs out. The count is at least 1.
char** SplitCommandLine(const char* text, int* count);
// The same rules on the platform's UTF-16 command line, so that where an argument ends is
// decided before any text is converted to the code page; the same block layout.
wchar_t** SplitWideCommandLine(const wchar_t* text, int* count);

// Every argument that begins with it is an option, never a target: a mistyped option would
// otherwise be taken for a name that does not exist and dropped.
const char OPTION_MARK = '/';

// The attribute bits named by the letters s, r, a and h (either case); false, with no bits, when
// the text holds any other character, so that a typo never reads as a shorter list of letters.
// An empty text names none and is read.
bool ParseAttributeLetters(const char* text, uint32_t* bits);

struct DateTimeFields {
  int year, month, day, hour, minute, second;
};

// Six numbers separated by exactly one non-digit, non-control character each; true only for a
// real calendar date and time from 1600 to 9999.
bool ParseDateTimeText(const char* text, DateTimeFields* fields);
