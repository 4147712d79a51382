// Choosing a change log (see log_files.h).
#include "dialog/log_files.h"

#include <commdlg.h>

#include <cstring>

#include "text/wide_names.h"

namespace {

// Code page texts to UTF-16, embedded terminators included (a filter is a list of them).
void WideFromText(const char* text, int bytes, WCHAR* wide, int units) {
  int made = MultiByteToWideChar(932, 0, text, bytes, wide, units - 1);
  wide[made > 0 ? made : 0] = 0;
}

const char kFilter[] = "作業の記録 (*.tsv)\0*.tsv\0すべてのファイル (*.*)\0*.*\0";

}  // namespace

bool ChooseLogFile(HWND owner, LogFileUse use, const char* current, char* path, int size) {
  WCHAR filter[128], title[64], file[MAX_PATH] = {0};
  WideFromText(kFilter, sizeof kFilter, filter, sizeof filter / sizeof filter[0]);
  const char* caption = use == LOG_FILE_TO_WRITE ? "作業の記録を保存する場所" : "元に戻す作業の記録";
  WideFromText(caption, -1, title, sizeof title / sizeof title[0]);
  if (current && current[0]) WideFromPath(current, file, MAX_PATH);
  OPENFILENAMEW dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title;
  dialog.lpstrDefExt = L"tsv";
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  BOOL chosen;
  if (use == LOG_FILE_TO_WRITE) {
    dialog.Flags |= OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameW(&dialog);
  } else {
    dialog.Flags |= OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameW(&dialog);
  }
  if (!chosen) return false;
  // A log whose name the code page lacks would be written where the program could not name it
  // again; a short name, which an existing file may have, does for a log to read.
  if (use == LOG_FILE_TO_UNDO ? PathFromWide(file, path, size) : NameFromWide(file, path, size))
    return true;
  MessageBoxA(owner, "この名前はこのプログラムの文字コードで書けないため、使えません。別の名前を選んでください。",
              "Morvane", MB_OK | MB_ICONWARNING);
  return false;
}
