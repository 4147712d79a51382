// The command line's own rules: splitting the text into arguments, the attribute letters of
// "/on:", "/off:" and "/nop:", and the date and time text of the timestamp options.
#pragma once

#include <cstdint>

// The platform's UTF-16 command line, split before any text is converted to the code page:
// the conversion may turn a character the code page lacks into a quote or a blank, which would
// move where an argument ends. One allocated block: count + 1 pointers (the last null)
// followed by the texts; release the whole vector with free(). Returns null when memory runs
// out. The count is at least 1: the program name, empty for a null or empty text.
char16_t** SplitUtf16CommandLine(const char16_t* text, int* count);

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
