// Bounded copies and formatting (see bounded.h).
#include "text/bounded.h"

#include <cstdio>
#include <cstring>

#include "text/chars.h"

void CopyBounded(int size, const char* source, char* destination) {
  if (size <= 0) return;
  int count = 0;
  while (count < size - 1 && source[count] != 0) ++count;
  // Cutting between a lead byte and its second byte would leave half a character behind.
  if (count == size - 1 && source[count] != 0 && ByteKindAt(source, count) == BYTE_TRAIL) --count;
  std::memmove(destination, source, static_cast<std::size_t>(count));
  destination[count] = 0;
}

int FormatBoundedV(char* buffer, int size, const char* format, va_list arguments) {
  if (size <= 0 || buffer == nullptr) return -1;
  int wanted = std::vsnprintf(buffer, static_cast<std::size_t>(size), format, arguments);
  if (wanted >= 0 && wanted < size) return wanted;
  buffer[size - 1] = 0;
  // A cut output must not end in half a character.
  int length = static_cast<int>(std::strlen(buffer));
  if (length > 0 && ByteKindAt(buffer, length - 1) == BYTE_LEAD) buffer[length - 1] = 0;
  return -1;
}

int FormatBounded(char* buffer, int size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int result = FormatBoundedV(buffer, size, format, arguments);
  va_end(arguments);
  return result;
}
