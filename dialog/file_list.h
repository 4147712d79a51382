// The main dialog's list of targets: a header line, then the files and folders in the shell's
// display form, sorted and without duplicates; filled from and collected into a TargetList.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "app/job_settings.h"
#include "controls/drag_list.h"

extern const char FILE_LIST_HEADER[];

// Each entry keeps what its target named when it was taken (its item data, owned by the list
// until ReleaseFileList), so that the job can tell whether it still names that.
void FillFileList(HWND listBox, const TargetList* targets);
int AddFileListEntry(HWND listBox, const char* path, const TargetIdentity& identity);
void CollectFileList(HWND listBox, TargetList* targets);
// Frees what the entries keep; before the list goes.
void ReleaseFileList(HWND listBox);
// The selected entries' indices in ascending order, the header left out: a block of *count
// indices that the caller frees with std::free; null (count 0) when none is selected or no
// memory is left for the block.
int* GetSelectedEntries(HWND listBox, int* count);
void DeleteSelectedEntries(HWND dialog);
// True when a folder was among the entries listed.
bool AddDroppedFiles(HWND listBox, HDROP drop);

// The dialog's answer to a notification of its file list. True when the dialog handled it,
// with *result the value to give back to the list box.
bool HandleFileListNotify(HWND dialog, const DragListNotify* notify, LRESULT* result);
