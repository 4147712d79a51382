// Times the job against bare loops of the platform calls it needs on one generated tree, in one
// Wine session, and prints per-entry figures and their ratios (medians of several runs):
//   - an attribute-only job (hidden set and cleared on alternate passes) against a bare walk
//     that searches the tree and writes each entry's attributes once, from the search's data;
//   - a timestamp job (last-write time, attributes kept) against a bare walk that searches the
//     tree and opens, sets the time of and closes each entry;
//   - for comparison, the six calls per entry that the job used to make for either kind
//     (read, clear to 0, open, set the time, close, write), over a path list collected first.
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

// The six calls per entry of the former sequence, with nothing around them.
void FormerSequence(const std::vector<std::string>& paths, const FILETIME& write, DWORD orMask,
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

// What either job needs for one entry, given its attributes.
struct BareWork {
  const FILETIME* write;  // null: attributes only
  DWORD orMask, andMask;
};

void BareEntry(const std::string& path, DWORD attributes, const BareWork& work) {
  DWORD wanted = (attributes | work.orMask) & work.andMask;
  if (work.write) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      SetFileTime(file, nullptr, nullptr, work.write);
      CloseHandle(file);
    }
  }
  if (wanted != attributes) SetFileAttributesA(path.c_str(), wanted);
}

// The bare walk: the search the job needs anyway, and the calls for each entry (the tree holds
// no read-only entry, so nothing is unlocked).
void BareFolder(const std::string& folder, const BareWork& work) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.cFileName[0] == '.' && (found.cFileName[1] == 0 ||
                                      (found.cFileName[1] == '.' && found.cFileName[2] == 0)))
      continue;
    std::string path = folder + "\\" + found.cFileName;
    BareEntry(path, found.dwFileAttributes, work);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) BareFolder(path, work);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void BareWalk(const std::string& root, const BareWork& work) {
  BareEntry(root, GetFileAttributesA(root.c_str()), work);
  BareFolder(root, work);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

enum Pass { ATTRIBUTE_JOB, ATTRIBUTE_BARE, TIME_JOB, TIME_BARE, FORMER, PASSES };
const char* const kPassNames[PASSES] = {"attributes job", "attributes bare", "times job",
                                        "times bare", "former sequence"};

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
  FILETIME utc = {};
  SYSTEMTIME fields = {2006, 1, 2, 3, 12, 34, 56, 0};
  SystemTimeToFileTime(&fields, &utc);
  FILETIME local;
  UtcToLocalFileTime(utc, &local);
  AddTarget(settings.targets, root.c_str());
  // Start from a known state: nothing hidden.
  BareWalk(root, BareWork{nullptr, 0, ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)});
  bool hidden = false;

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times[PASSES];
  for (int run = 0; run < runs; ++run) {
    // Every pass of each kind goes first in some run, so that none always finds a warm cache.
    for (int step = 0; step < PASSES; ++step) {
      int pass = (step + run) % PASSES;
      // Attribute passes flip hidden, so that each one writes every entry.
      bool flips = pass == ATTRIBUTE_JOB || pass == ATTRIBUTE_BARE || pass == FORMER;
      DWORD orMask = 0, andMask = 0xFFFFFFFFu;
      if (flips && !hidden) orMask = FILE_ATTRIBUTE_HIDDEN;
      if (flips && hidden) andMask = ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
      settings.orMask = orMask;
      settings.andMask = andMask;
      settings.lastWrite = TimestampEntry{pass == TIME_JOB, ToFileTimeValue(local)};
      QueryPerformanceCounter(&start);
      switch (pass) {
        case ATTRIBUTE_JOB:
        case TIME_JOB: RunJob(&settings); break;
        case ATTRIBUTE_BARE: BareWalk(root, BareWork{nullptr, orMask, andMask}); break;
        case TIME_BARE: BareWalk(root, BareWork{&utc, orMask, andMask}); break;
        case FORMER: FormerSequence(paths, utc, orMask, andMask); break;
      }
      QueryPerformanceCounter(&end);
      times[pass].push_back(Seconds(start, end, frequency));
      if (flips) hidden = !hidden;
    }
  }
  DestroyTargetList(settings.targets);
  // Leave nothing hidden, so that the attrib /s runs that follow (+h first) change every file.
  if (hidden) BareWalk(root, BareWork{nullptr, 0, ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)});

  double count = static_cast<double>(paths.size());
  std::printf("entries %zu, runs %d\n", paths.size(), runs);
  double median[PASSES];
  for (int pass = 0; pass < PASSES; ++pass) {
    median[pass] = Median(times[pass]);
    std::printf("%-16s %6.2f s  %6.1f us/entry  (runs:", kPassNames[pass], median[pass],
                median[pass] / count * 1e6);
    for (double seconds : times[pass]) std::printf(" %.2f", seconds);
    std::printf(")\n");
  }
  std::printf("attributes job / its bare walk = %.3f\n", median[ATTRIBUTE_JOB] / median[ATTRIBUTE_BARE]);
  std::printf("times job / its bare walk = %.3f\n", median[TIME_JOB] / median[TIME_BARE]);
  std::printf("former sequence / attributes job = %.2f\n", median[FORMER] / median[ATTRIBUTE_JOB]);
  return 0;
}
