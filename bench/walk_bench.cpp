// Times the job against a bare loop of the same per-entry platform calls on one generated tree,
// in one Wine session, and prints per-entry figures and their ratio (median of several runs).
//   walk_bench TREE_FOLDER [RUNS]
// The tree is made when the folder does not exist yet: 25 folders of 20 subfolders of 38 files.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/job_settings.h"
#include "app/job_walk.h"
#include "app/local_time.h"

namespace {

void MakeTree(const std::string& root) {
  CreateDirectoryA(root.c_str(), nullptr);
  for (int a = 0; a < 25; ++a) {
    std::string top = root + "\\top" + std::to_string(a);
    CreateDirectoryA(top.c_str(), nullptr);
    for (int b = 0; b < 20; ++b) {
      std::string sub = top + "\\sub" + std::to_string(b);
      CreateDirectoryA(sub.c_str(), nullptr);
      for (int c = 0; c < 38; ++c) {
        std::string file = sub + "\\file" + std::to_string(c) + ".txt";
        HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
      }
    }
  }
}

void CollectPaths(const std::string& folder, std::vector<std::string>* paths) {
  paths->push_back(folder);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectPaths(path, paths);
    else
      paths->push_back(path);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end, LARGE_INTEGER frequency) {
  return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

// The same calls the job makes for one entry, with nothing around them.
void BareLoop(const std::vector<std::string>& paths, const FILETIME& write, DWORD orMask,
              DWORD andMask) {
  for (const std::string& path : paths) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    SetFileAttributesA(path.c_str(), 0);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      SetFileTime(file, nullptr, nullptr, &write);
      CloseHandle(file);
    }
    SetFileAttributesA(path.c_str(), (attributes | orMask) & andMask);
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: walk_bench TREE_FOLDER [RUNS]\n");
    return 2;
  }
  std::string root = argv[1];
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (runs < 1) runs = 1;
  if (GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) MakeTree(root);
  std::vector<std::string> paths;
  CollectPaths(root, &paths);

  JobSettings settings;
  InitJobSettings(&settings);
  settings.showDialog = false;
  settings.recurse = true;
  settings.lastWrite.enabled = true;
  FILETIME utc = {};
  SYSTEMTIME fields = {2006, 1, 2, 3, 12, 34, 56, 0};
  SystemTimeToFileTime(&fields, &utc);
  FILETIME local;
  UtcToLocalFileTime(utc, &local);
  settings.lastWrite.time = ToFileTimeValue(local);
  AddTarget(settings.targets, root.c_str());
  AppliedTimes times;
  PlanAppliedTimes(settings, &times);

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> jobTimes, bareTimes;
  for (int run = 0; run < runs; ++run) {
    // Alternate setting and clearing hidden so that every run writes the same amount.
    DWORD orMask = (run % 2 == 0) ? FILE_ATTRIBUTE_HIDDEN : 0;
    DWORD andMask = (run % 2 == 0) ? 0xFFFFFFFFu : ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    settings.orMask = orMask;
    settings.andMask = andMask;
    // Each side goes first in every other pair, so that neither always finds a warm cache.
    for (int side = 0; side < 2; ++side) {
      bool jobTurn = (side == 0) == (run % 4 < 2);
      QueryPerformanceCounter(&start);
      if (jobTurn)
        RunJob(&settings);
      else
        BareLoop(paths, *times.lastWrite, orMask, andMask);
      QueryPerformanceCounter(&end);
      (jobTurn ? jobTimes : bareTimes).push_back(Seconds(start, end, frequency));
    }
  }
  DestroyTargetList(settings.targets);

  double job = Median(jobTimes), bare = Median(bareTimes);
  double count = static_cast<double>(paths.size());
  std::printf("entries %zu, runs %d\n", paths.size(), runs);
  std::printf("job        %.2f s  %.1f us/entry\n", job, job / count * 1e6);
  std::printf("bare loop  %.2f s  %.1f us/entry\n", bare, bare / count * 1e6);
  std::printf("job / bare loop = %.3f\n", job / bare);
  return 0;
}
