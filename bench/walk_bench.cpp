// Times the job against bare loops of the platform calls it needs on one generated tree, in one
// Wine session, and prints per-entry figures and their ratios (medians of several runs):
//   - an attribute-only job (hidden set and cleared on alternate passes) against a bare walk
//     that searches the tree and writes each entry's attributes once, from the search's data;
//   - a timestamp job (last-write time, attributes kept) against a bare walk that searches the
//     tree and opens, sets the time of and closes each entry;
//   - both against Wine's attrib /s setting or clearing hidden on the same tree, started as a
//     process of the same session;
//   - for comparison, the six calls per entry that the job used to make for either kind
//     (read, clear to 0, open, set the time, close, write), over a path list collected first;
//   - a timestamp job over a second tree whose files are all read-only, against a bare walk of
//     the sequence it replaces there (clear read-only, open for reading and writing, set the
//     time, close, set read-only again).
//   walk_bench TREE_FOLDER [RUNS]
// The tree is made when the folder does not exist yet: 25 folders of 20 subfolders of 38 files;
// the read-only tree beside it (TREE_FOLDER-readonly) has 10 such folders.
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

void MakeTree(const std::string& root, int folders, DWORD fileAttributes) {
  CreateDirectoryA(root.c_str(), nullptr);
  for (int a = 0; a < folders; ++a) {
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
        if (fileAttributes) SetFileAttributesA(file.c_str(), fileAttributes);
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
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      SetFileTime(file, nullptr, nullptr, work.write);
      CloseHandle(file);
    }
  }
  if (wanted != attributes) SetFileAttributesA(path.c_str(), wanted);
}

// Every entry below folder as the search finds it, a folder before its contents: the search
// the job needs anyway.
template <typename Visit>
void WalkBelow(const std::string& folder, const Visit& visit) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.cFileName[0] == '.' && (found.cFileName[1] == 0 ||
                                      (found.cFileName[1] == '.' && found.cFileName[2] == 0)))
      continue;
    std::string path = folder + "\\" + found.cFileName;
    visit(path, found.dwFileAttributes);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) WalkBelow(path, visit);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// The bare walk: the search and the calls for each entry (the tree holds no read-only entry, so
// nothing is unlocked).
void BareWalk(const std::string& root, const BareWork& work) {
  BareEntry(root, GetFileAttributesA(root.c_str()), work);
  WalkBelow(root, [&work](const std::string& path, DWORD attributes) {
    BareEntry(path, attributes, work);
  });
}

// What a timestamp job used to do to every read-only entry: take the bit off so that the entry
// could be opened for writing, write the time, put the bit back.
void FormerReadOnlyEntry(const std::string& path, DWORD attributes, const FILETIME& write) {
  bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    SetFileTime(file, nullptr, nullptr, &write);
    CloseHandle(file);
  }
  if (readOnly) SetFileAttributesA(path.c_str(), attributes);
}

void FormerReadOnlyWalk(const std::string& root, const FILETIME& write) {
  FormerReadOnlyEntry(root, GetFileAttributesA(root.c_str()), write);
  WalkBelow(root, [&write](const std::string& path, DWORD attributes) {
    FormerReadOnlyEntry(path, attributes, write);
  });
}

// Entries of the tree below root (root included), and how many of them are read-only.
void CountEntries(const std::string& root, std::size_t* entries, std::size_t* readOnly) {
  std::vector<std::string> paths;
  CollectPaths(root, &paths);
  *entries = paths.size();
  *readOnly = 0;
  for (const std::string& path : paths)
    *readOnly += (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
}

// Wine's own attrib, started as a process of this session, on every file below the root.
void Attrib(const std::string& root, bool set) {
  std::string command = std::string("attrib.exe ") + (set ? "+h" : "-h") + " /s \"" + root + "\\*\"";
  std::vector<char> line(command.begin(), command.end());
  line.push_back(0);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                     nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  } else {
    std::fprintf(stderr, "cannot start %s\n", command.c_str());
  }
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Fastest(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

}  // namespace

enum Pass {
  ATTRIBUTE_JOB, ATTRIBUTE_BARE, ATTRIB, TIME_JOB, TIME_BARE, FORMER, RO_TIME_JOB, RO_FORMER,
  PASSES
};
const char* const kPassNames[PASSES] = {"attributes job",  "attributes bare", "attrib /s",
                                        "times job",       "times bare",      "former sequence",
                                        "ro times job",    "ro former loop"};

// Passes that are compared are run side by side: the attribute passes (which flip hidden, so
// that each one writes every entry), the timestamp passes, the former sequence, and the
// timestamp passes over the read-only tree.
const std::vector<std::vector<int>> kGroups = {
    {ATTRIBUTE_JOB, ATTRIBUTE_BARE, ATTRIB}, {TIME_JOB, TIME_BARE}, {FORMER},
    {RO_TIME_JOB, RO_FORMER}};

struct Ratio {
  const char* name;
  int numerator, denominator;
};
const Ratio kRatios[] = {
    {"attributes job / its bare walk", ATTRIBUTE_JOB, ATTRIBUTE_BARE},
    {"attributes job / attrib /s", ATTRIBUTE_JOB, ATTRIB},
    {"times job / its bare walk", TIME_JOB, TIME_BARE},
    {"times job / attrib /s", TIME_JOB, ATTRIB},
    {"former sequence / attributes job", FORMER, ATTRIBUTE_JOB},
    {"ro times job / ro former loop", RO_TIME_JOB, RO_FORMER},
};

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: walk_bench TREE_FOLDER [RUNS]\n");
    return 2;
  }
  std::string root = argv[1];
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (runs < 1) runs = 1;
  if (GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) MakeTree(root, 25, 0);
  std::vector<std::string> paths;
  CollectPaths(root, &paths);
  std::string readOnlyRoot = root + "-readonly";
  if (GetFileAttributesA(readOnlyRoot.c_str()) == INVALID_FILE_ATTRIBUTES)
    MakeTree(readOnlyRoot, 10, FILE_ATTRIBUTE_READONLY);
  std::size_t readOnlyEntries = 0, readOnlyFiles = 0;
  CountEntries(readOnlyRoot, &readOnlyEntries, &readOnlyFiles);

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
  JobSettings readOnlySettings;
  InitJobSettings(&readOnlySettings);
  readOnlySettings.showDialog = false;
  readOnlySettings.recurse = true;
  readOnlySettings.orMask = 0;
  readOnlySettings.andMask = 0xFFFFFFFFu;
  readOnlySettings.lastWrite = TimestampEntry{true, ToFileTimeValue(local)};
  AddTarget(readOnlySettings.targets, readOnlyRoot.c_str());
  // Start from a known state: nothing hidden.
  BareWalk(root, BareWork{nullptr, 0, ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)});
  bool hidden = false;

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times[PASSES];
  for (int run = 0; run < runs; ++run) {
    // Groups and the passes inside them take turns at going first, so that none always finds a
    // warm cache or a quiet machine.
    for (std::size_t g = 0; g < kGroups.size(); ++g) {
      const std::vector<int>& group = kGroups[(g + run) % kGroups.size()];
      for (std::size_t k = 0; k < group.size(); ++k) {
        int pass = group[(k + run) % group.size()];
        bool flips = pass == ATTRIBUTE_JOB || pass == ATTRIBUTE_BARE || pass == ATTRIB ||
                     pass == FORMER;
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
          case ATTRIB: Attrib(root, !hidden); break;
          case TIME_BARE: BareWalk(root, BareWork{&utc, orMask, andMask}); break;
          case FORMER: FormerSequence(paths, utc, orMask, andMask); break;
          case RO_TIME_JOB: RunJob(&readOnlySettings); break;
          case RO_FORMER: FormerReadOnlyWalk(readOnlyRoot, utc); break;
        }
        QueryPerformanceCounter(&end);
        times[pass].push_back(Seconds(start, end, frequency));
        if (flips) hidden = !hidden;
      }
    }
  }
  DestroyTargetList(settings.targets);
  DestroyTargetList(readOnlySettings.targets);
  std::size_t readOnlyAfter = 0;
  CountEntries(readOnlyRoot, &readOnlyEntries, &readOnlyAfter);
  if (hidden) BareWalk(root, BareWork{nullptr, 0, ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)});

  double count = static_cast<double>(paths.size());
  std::printf("entries %zu, runs %d; seconds: median, fastest, every run\n", paths.size(), runs);
  std::printf("read-only tree: entries %zu, read-only files %zu before and %zu after\n",
              readOnlyEntries, readOnlyFiles, readOnlyAfter);
  for (int pass = 0; pass < PASSES; ++pass) {
    double median = Median(times[pass]);
    if (pass == RO_TIME_JOB || pass == RO_FORMER) count = static_cast<double>(readOnlyEntries);
    std::printf("%-16s %6.2f s %6.1f us/entry  fastest %6.2f s  (", kPassNames[pass], median,
                median / count * 1e6, Fastest(times[pass]));
    for (double seconds : times[pass]) std::printf(" %.2f", seconds);
    std::printf(" )\n");
  }
  std::printf("ratios: median of the runs' own ratios, and of the fastest runs\n");
  for (const Ratio& ratio : kRatios) {
    std::vector<double> perRun;
    for (int run = 0; run < runs; ++run)
      perRun.push_back(times[ratio.numerator][run] / times[ratio.denominator][run]);
    std::printf("%-34s = %.3f  fastest %.3f\n", ratio.name, Median(perRun),
                Fastest(times[ratio.numerator]) / Fastest(times[ratio.denominator]));
  }
  return 0;
}
