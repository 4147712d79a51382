// Copies and formatting into fixed-size buffers that always end in a zero byte and never
// leave a lead byte without its second byte.
#pragma once

#include <cstdarg>

void CopyBounded(int size, const char* source, char* destination);
int FormatBoundedV(char* buffer, int size, const char* format, va_list arguments);
int FormatBounded(char* buffer, int size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
