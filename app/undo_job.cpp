// The undo (see undo_job.h).
#include "app/undo_job.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/change_log.h"
#include "app/change_log_file.h"
#include "app/file_calls.h"
#include "app/job_report_texts.h"
#include "app/long_path.h"
#include "text/allocation.h"
#include "text/bounded.h"
#include "text/holders.h"
#include "text/trace.h"
#include "text/wide_names.h"

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Far beyond the log of any tree a disk holds (some 300 bytes a line), and still an amount the
// 32-bit program can hope to be given.
const LONGLONG kMostLogBytes = 512LL * 1024 * 1024;

struct Undo {
  const JobSettings* settings;
  JobReport* report;
  const FileCalls* calls;
  WCHAR* path;  // LONG_PATH_UNITS: the line's path, terminated for the open
};

void Tell(Undo* undo, const char* shown, NotChangedReason reason, DWORD error) {
  ReportNotChanged(undo->report, shown, reason, error);
  if (undo->settings->log) LogNotChanged(undo->settings->log, shown, reason, error);
}

void TellAtPath(Undo* undo, int units, NotChangedReason reason, DWORD error) {
  char shown[TRACE_LINE_SIZE];
  ShowLongPath(LongPath{undo->path, units}, shown, sizeof shown);
  Tell(undo, shown, reason, error);
}

void TellLine(Undo* undo, std::size_t number) {
  char shown[TRACE_LINE_SIZE];
  FormatBounded(shown, sizeof shown, "%s (%lu 行目)", undo->settings->undoPath,
                static_cast<unsigned long>(number));
  Tell(undo, shown, REASON_BAD_LOG_LINE, 0);
}

// The whole log, terminated; null with the error where it cannot be had.
char* ReadWholeLog(const char* path, std::size_t* size, DWORD* error) {
  WCHAR wide[MAX_PATH + 1];
  if (!WideFromPath(path, wide, MAX_PATH + 1)) {
    *error = ERROR_INVALID_NAME;
    return nullptr;
  }
  HandleHolder file(CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER length;
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &length)) {
    *error = GetLastError();
    return nullptr;
  }
  if (length.QuadPart > kMostLogBytes) {
    *error = ERROR_FILE_TOO_LARGE;
    return nullptr;
  }
  *size = static_cast<std::size_t>(length.QuadPart);
  char* bytes = static_cast<char*>(std::malloc(*size + 1));
  if (bytes == nullptr) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  std::size_t done = 0;
  while (done < *size) {
    DWORD read = 0;
    DWORD asked = static_cast<DWORD>(*size - done > (1u << 20) ? (1u << 20) : *size - done);
    if (!ReadFile(file.Get(), bytes + done, asked, &read, nullptr) || read == 0) {
      *error = read == 0 ? ERROR_HANDLE_EOF : GetLastError();
      std::free(bytes);
      return nullptr;
    }
    done += read;
  }
  bytes[*size] = 0;
  return bytes;
}

// The line's path, terminated, in the undo's buffer.
const WCHAR* CopyPath(Undo* undo, const LoggedChange& change) {
  std::memcpy(undo->path, change.path, sizeof(WCHAR) * change.pathUnits);
  undo->path[change.pathUnits] = 0;
  return undo->path;
}

// One logged entry (its path copied) put back, where it is the entry the log names and holds
// what the job wrote.
void UndoEntry(Undo* undo, const LoggedChange& change) {
  const FileCalls& calls = *undo->calls;
  // Whatever the path leads to now is taken only where it is the entry logged.
  HANDLE handle = calls.createFile(undo->path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                   kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                   nullptr);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    DWORD error = GetLastError();
    TellAtPath(undo, change.pathUnits, ReasonFromError(error, REASON_NOT_FOUND), error);
    return;
  }
  BY_HANDLE_FILE_INFORMATION information;
  FILE_BASIC_INFO now;
  DWORD error = 0;
  NotChangedReason reason = REASON_KINDS;
  if (!GetFileInformationByHandle(handle, &information) ||
      !calls.readInformation(handle, FileBasicInfo, &now, sizeof now)) {
    error = GetLastError();
    reason = ReasonFromError(error, REASON_NO_ACCESS);
  } else if (information.dwVolumeSerialNumber != change.volume ||
             ((static_cast<uint64_t>(information.nFileIndexHigh) << 32) |
              information.nFileIndexLow) != change.fileId ||
             IsChangeLogEntry(undo->settings->log, change.volume, change.fileId)) {
    reason = REASON_CHANGED_SINCE;
  } else {
    const EntryTimes times = {{now.CreationTime.QuadPart, now.LastWriteTime.QuadPart,
                               now.LastAccessTime.QuadPart}};
    UndoWrite back = PlanUndo(change, now.FileAttributes, times);
    if (back.decision == UNDO_ALREADY_BEFORE) {
      CountOutcome(undo->report, OUTCOME_ALREADY_AS_ASKED);
    } else if (back.decision == UNDO_CHANGED_SINCE) {
      reason = REASON_CHANGED_SINCE;
    } else if (back.decision == UNDO_CANNOT_RESTORE) {
      reason = REASON_TIME_OUT_OF_RANGE;
    } else {
      FILE_BASIC_INFO basic;
      std::memset(&basic, 0, sizeof basic);
      basic.FileAttributes = back.attributes;
      basic.CreationTime.QuadPart = back.ticks[SLOT_CREATION];
      basic.LastWriteTime.QuadPart = back.ticks[SLOT_LAST_WRITE];
      basic.LastAccessTime.QuadPart = back.ticks[SLOT_LAST_ACCESS];
      const LoggedChange undone = {change.path, change.pathUnits, change.volume, change.fileId,
                                   now.FileAttributes, times, back.attributes != 0,
                                   back.attributes,
                                   {{back.ticks[0], back.ticks[1], back.ticks[2]}}};
      ChangeLog* own = undo->settings->log;
      if (own && !LogChange(own, undone)) {
        error = own->failed ? GetLastError() : 0;
        reason = REASON_NOT_LOGGED;
      } else if (calls.setInformation(handle, FileBasicInfo, &basic, sizeof basic)) {
        CountOutcome(undo->report, OUTCOME_CHANGED);
      } else {
        error = GetLastError();
        reason = ReasonFromError(error, REASON_NOT_WRITTEN);
      }
    }
  }
  calls.closeHandle(handle);
  if (reason != REASON_KINDS) TellAtPath(undo, change.pathUnits, reason, error);
}

// A log that cannot take a line stops the undo as a cancel would.
bool Stopped(const Undo& undo) {
  const ChangeLog* own = undo.settings->log;
  return undo.settings->cancelRequested.load() || (own && own->failed);
}

}  // namespace

void RunUndo(const JobSettings* settings, JobReport* report) {
  Undo undo = {settings, report, &CurrentFileCalls(), nullptr};
  std::size_t size = 0;
  DWORD error = 0;
  char* bytes = ReadWholeLog(settings->undoPath, &size, &error);
  undo.path = static_cast<WCHAR*>(AllocateZeroed(LONG_PATH_UNITS, sizeof(WCHAR)));
  uint16_t* decoded = static_cast<uint16_t*>(AllocateZeroed(LONG_PATH_UNITS, sizeof(uint16_t)));
  // Where each line starts: the lines are taken from the last one back.
  std::size_t lines = 0;
  for (std::size_t i = 0; bytes && i < size; ++i) lines += bytes[i] == '\n';
  std::size_t* starts = static_cast<std::size_t*>(AllocateZeroed(lines + 2, sizeof(std::size_t)));
  if (bytes == nullptr || undo.path == nullptr || decoded == nullptr || starts == nullptr) {
    Tell(&undo, settings->undoPath, bytes ? REASON_NO_MEMORY : ReasonFromError(error, REASON_NOT_FOUND),
         bytes ? ERROR_NOT_ENOUGH_MEMORY : error);
  } else {
    std::size_t count = 0;
    starts[count++] = 0;
    for (std::size_t i = 0; i < size; ++i)
      if (bytes[i] == '\n') starts[count++] = i + 1;
    if (starts[count - 1] != size) starts[count++] = size + 1;  // the last line has no end
    LoggedChange change;
    // Line 0 is the log's first line; the check before the job read it already, but the file
    // may have been replaced since.
    std::size_t firstEnd = count > 1 ? starts[1] - 1 : size;
    if (firstEnd > 0 && bytes[firstEnd - 1] == '\r') --firstEnd;
    if (ReadLogLine(bytes, firstEnd, &change, decoded, LONG_PATH_UNITS - 1) != LOG_LINE_HEADER) {
      TellLine(&undo, 1);
    } else {
      for (std::size_t line = count - 1; line >= 2 && !Stopped(undo); --line) {
        const std::size_t start = starts[line - 1], next = starts[line];
        // A line ends in CRLF; one without (cut off at the end, or a bare LF) is not read.
        bool whole = next <= size && next - start >= 2 && bytes[next - 2] == '\r';
        std::size_t length = whole ? next - start - 2 : (next > size ? size : next) - start;
        LogLineKind kind = whole ? ReadLogLine(bytes + start, length, &change, decoded,
                                               LONG_PATH_UNITS - 1)
                                 : LOG_LINE_BAD;
        if (kind == LOG_LINE_CHANGE && IsEntryPath(CopyPath(&undo, change)))
          UndoEntry(&undo, change);
        else if (kind != LOG_LINE_OTHER)
          TellLine(&undo, line);
      }
    }
  }
  std::free(starts);
  std::free(decoded);
  std::free(undo.path);
  std::free(bytes);
}
