// UTC and local time (see local_time.h).
#include "app/local_time.h"

static_assert(sizeof(FileTimeValue) == sizeof(FILETIME), "FileTimeValue mirrors FILETIME");

ULONGLONG FileTimeTicks(const FILETIME& value) {
  return (static_cast<ULONGLONG>(value.dwHighDateTime) << 32) | value.dwLowDateTime;
}

static FILETIME FromTicks(ULONGLONG ticks) {
  FILETIME value;
  value.dwLowDateTime = static_cast<DWORD>(ticks);
  value.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return value;
}

// SYSTEMTIME keeps milliseconds only; the remaining 100 ns ticks are carried across by hand.
static const ULONGLONG kTicksPerMillisecond = 10000;

bool UtcToLocalFileTime(const FILETIME& utc, FILETIME* local) {
  SYSTEMTIME utcFields, localFields;
  if (!FileTimeToSystemTime(&utc, &utcFields)) return false;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utcFields, &localFields)) return false;
  FILETIME converted;
  if (!SystemTimeToFileTime(&localFields, &converted)) return false;
  *local = FromTicks(FileTimeTicks(converted) + FileTimeTicks(utc) % kTicksPerMillisecond);
  return true;
}

bool LocalToUtcFileTime(const FILETIME& local, FILETIME* utc) {
  SYSTEMTIME localFields, utcFields;
  if (!FileTimeToSystemTime(&local, &localFields)) return false;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &localFields, &utcFields)) return false;
  FILETIME converted;
  if (!SystemTimeToFileTime(&utcFields, &converted)) return false;
  *utc = FromTicks(FileTimeTicks(converted) + FileTimeTicks(local) % kTicksPerMillisecond);
  return true;
}

bool LocalFieldsToUtc(const DateTimeFields& fields, FILETIME* utc) {
  SYSTEMTIME local = {};
  local.wYear = static_cast<WORD>(fields.year);
  local.wMonth = static_cast<WORD>(fields.month);
  local.wDay = static_cast<WORD>(fields.day);
  local.wHour = static_cast<WORD>(fields.hour);
  local.wMinute = static_cast<WORD>(fields.minute);
  local.wSecond = static_cast<WORD>(fields.second);
  FILETIME localTime;
  if (!SystemTimeToFileTime(&local, &localTime)) return false;
  return LocalToUtcFileTime(localTime, utc);
}

FILETIME ToFileTime(FileTimeValue value) {
  FILETIME result;
  result.dwLowDateTime = value.low;
  result.dwHighDateTime = value.high;
  return result;
}

FileTimeValue ToFileTimeValue(const FILETIME& value) {
  return FileTimeValue{value.dwLowDateTime, value.dwHighDateTime};
}
