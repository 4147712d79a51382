// Conversions between UTC and local file times with the daylight-saving rule in force on the
// date converted (the plain kernel calls apply today's offset to every date).
#pragma once

#include <windows.h>

#include "app/command_line.h"
#include "app/job_settings.h"

bool UtcToLocalFileTime(const FILETIME& utc, FILETIME* local);
bool LocalToUtcFileTime(const FILETIME& local, FILETIME* utc);

// A calendar date and time read as local time, as a UTC file time.
bool LocalFieldsToUtc(const DateTimeFields& fields, FILETIME* utc);

FILETIME ToFileTime(FileTimeValue value);
// A file time as one count of 100 ns ticks.
ULONGLONG FileTimeTicks(const FILETIME& value);
FileTimeValue ToFileTimeValue(const FILETIME& value);
