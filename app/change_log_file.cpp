// The change log file (see change_log_file.h).
#include "app/change_log_file.h"

#include <cstdlib>
#include <cstring>

#include "app/job_report_texts.h"
#include "app/target_identity.h"
#include "app/version.h"
#include "text/bounded.h"
#include "text/holders.h"
#include "text/trace.h"
#include "text/wide_names.h"

namespace {

// One write for the whole line: a line split over two writes could be cut between them.
bool WriteWhole(ChangeLog* log, const char* bytes, std::size_t length) {
  if (log->failed || length == 0) return false;
  DWORD written = 0;
  if (!WriteFile(log->file, bytes, static_cast<DWORD>(length), &written, nullptr) ||
      written != length)
    log->failed = true;
  return !log->failed;
}

// Code page text (the trace's words and shown paths) as UTF-8, into size bytes.
bool Utf8FromCodePage(const char* text, char* utf8, int size) {
  WCHAR wide[2048];
  int units = MultiByteToWideChar(932, 0, text, -1, wide, sizeof wide / sizeof wide[0]);
  if (units <= 0) return false;
  return WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr) > 0;
}

void WriteTextLine(ChangeLog* log, const char* kind, const char* const* codePageFields,
                   int count) {
  enum { kMostFields = 4, kFieldSize = 2048 };
  char utf8[kMostFields][kFieldSize];
  const char* fields[kMostFields];
  for (int i = 0; i < count && i < kMostFields; ++i) {
    if (!Utf8FromCodePage(codePageFields[i], utf8[i], kFieldSize)) utf8[i][0] = 0;
    fields[i] = utf8[i];
  }
  WriteWhole(log, log->line,
             FormatTextLine(kind, fields, count < kMostFields ? count : kMostFields, log->line,
                            LOG_LINE_MOST_BYTES));
}

}  // namespace

bool OpenChangeLog(ChangeLog* log, const char* path, bool replace, DWORD* error) {
  std::memset(log, 0, sizeof *log);
  log->file = INVALID_HANDLE_VALUE;
  WCHAR wide[MAX_PATH + 1];
  if (!WideFromPath(path, wide, MAX_PATH + 1)) {
    *error = ERROR_INVALID_NAME;
    return false;
  }
  log->line = static_cast<char*>(std::malloc(LOG_LINE_MOST_BYTES));
  if (log->line == nullptr) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return false;
  }
  // A log that exists already may be the only record of an earlier job: it is replaced only
  // where the user said so.
  log->file = CreateFileW(wide, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          replace ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  BY_HANDLE_FILE_INFORMATION information;
  if (log->file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(log->file, &information)) {
    *error = GetLastError();
    CloseChangeLog(log);
    return false;
  }
  log->identity.volume = information.dwVolumeSerialNumber;
  log->identity.fileId =
      (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const DateTimeFields start = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  std::memcpy(log->line, kLogByteOrderMark, sizeof kLogByteOrderMark);
  std::size_t length = FormatLogHeader(MORVANE_VERSION_TEXT, start, log->line + sizeof kLogByteOrderMark,
                                       LOG_LINE_MOST_BYTES - sizeof kLogByteOrderMark);
  if (!WriteWhole(log, log->line, length ? length + sizeof kLogByteOrderMark : 0)) {
    *error = length ? GetLastError() : ERROR_INVALID_DATA;
    CloseChangeLog(log);
    return false;
  }
  return true;
}

void CloseChangeLog(ChangeLog* log) {
  if (log->file != INVALID_HANDLE_VALUE && log->file != nullptr) CloseHandle(log->file);
  log->file = INVALID_HANDLE_VALUE;
  std::free(log->line);
  log->line = nullptr;
}

bool IsChangeLogEntry(const ChangeLog* log, uint32_t volume, uint64_t fileId) {
  return log != nullptr && log->identity.volume == volume && log->identity.fileId == fileId;
}

bool LogChange(ChangeLog* log, const LoggedChange& change) {
  return WriteWhole(log, log->line, FormatChangeLine(change, log->line, LOG_LINE_MOST_BYTES));
}

void LogNotChanged(ChangeLog* log, const char* shownPath, NotChangedReason reason, DWORD error) {
  char code[16];
  FormatBounded(code, sizeof code, "%lu", static_cast<unsigned long>(error));
  const char* fields[] = {shownPath, ReasonText(reason), code};
  WriteTextLine(log, kLogKindNotChanged, fields, 3);
}

void LogCounts(ChangeLog* log, const JobReport& report) {
  char counts[256];
  FormatJobCounts(report, counts, sizeof counts);
  const char* fields[] = {counts};
  WriteTextLine(log, kLogKindCounts, fields, 1);
}

bool CheckUndoLog(const char* path, DWORD* error) {
  WCHAR wide[MAX_PATH + 1];
  if (!WideFromPath(path, wide, MAX_PATH + 1)) {
    *error = ERROR_INVALID_NAME;
    return false;
  }
  HandleHolder file(CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    *error = GetLastError();
    return false;
  }
  char start[256];
  DWORD read = 0;
  if (!ReadFile(file.Get(), start, sizeof start, &read, nullptr)) {
    *error = GetLastError();
    return false;
  }
  std::size_t length = 0;
  while (length < read && start[length] != '\r' && start[length] != '\n') ++length;
  LoggedChange unused;
  uint16_t path16[1];
  if (ReadLogLine(start, length, &unused, path16, 1) != LOG_LINE_HEADER) {
    *error = ERROR_INVALID_DATA;
    return false;
  }
  return true;
}

namespace {

// Why a log cannot be had, in the words of the job's reasons where one fits.
const char* LogErrorText(DWORD error) {
  switch (error) {
    case ERROR_INVALID_DATA:
      return "作業の記録ではありません";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "同じ名前のファイルがすでにあります";
    default:
      return ReasonText(ReasonFromError(error, REASON_NO_ACCESS));
  }
}

void RefuseJob(const JobSettings& record, const char* what, const char* path, DWORD error) {
  Trace("! %s %s (%lu)\r\n => %s\r\n", what, LogErrorText(error),
        static_cast<unsigned long>(error), path);
  if (!record.showDialog) return;
  char text[1024];
  FormatBounded(text, sizeof text, "%s\r\n\r\n%s\r\n    %s (%lu)", what, path,
                LogErrorText(error), static_cast<unsigned long>(error));
  MessageBoxA(nullptr, text, "Morvane", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// The file the undo reads, named again as the log it writes (also through a link), would be
// emptied before it is read.
bool SameFile(const char* one, const char* other) {
  TargetIdentity first, second;
  if (!ReadTargetIdentity(one, &first) || !ReadTargetIdentity(other, &second)) return false;
  const EntryId& reached = first.isLink ? first.pointee : first.entry;
  const EntryId& named = second.isLink ? second.pointee : second.entry;
  return reached.volume == named.volume && reached.fileId == named.fileId;
}

}  // namespace

bool OpenLogsForJob(JobSettings* record, ChangeLog* log) {
  record->log = nullptr;
  DWORD error = 0;
  if (record->undoPath[0] != 0 && !CheckUndoLog(record->undoPath, &error)) {
    RefuseJob(*record, "元に戻す記録を読み取れないため、何も変更しませんでした。",
              record->undoPath, error);
    return false;
  }
  if (record->logPath[0] == 0) return true;
  if (record->undoPath[0] != 0 && SameFile(record->undoPath, record->logPath)) {
    RefuseJob(*record, "元に戻す記録に、その作業の記録を書くことはできません。", record->logPath,
              ERROR_ALREADY_EXISTS);
    return false;
  }
  if (!OpenChangeLog(log, record->logPath, record->replaceLog, &error)) {
    RefuseJob(*record, "作業の記録を作れないため、何も変更しませんでした。", record->logPath,
              error);
    return false;
  }
  record->log = log;
  return true;
}
