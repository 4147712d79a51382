// Times the job against the walk it replaced, on one generated tree, in one Wine session, and
// prints per-entry figures and their ratios (medians of several runs):
//   - attributes only (hidden set and cleared on alternate passes), times only (last write,
//     attributes kept), both together, and a job that finds nothing to change (system cleared
//     where no entry has it);
//   - a shift job (each entry's last write moved an hour forward and back on alternate passes)
//     against the times-only job, which writes one date;
//   - the job with both, writing a change log ("/log:", one line before each change), against
//     the same job without;
//   - each against the former walk: a search by path (FindFirstFileW, a name at a time) and,
//     per entry, the calls it made: SetFileAttributesA for attributes; CreateFileA for attribute
//     writing, SetFileTime and CloseHandle for times; both for both; nothing when nothing changes;
//   - the attribute passes also against Wine's attrib /s, started as a process of the session.
//   walk_bench TREE_FOLDER [RUNS]
// The tree is made when the folder does not exist yet: 25 folders of 20 subfolders of 38 files.
//
// And the memory of one job (attributes and times) in a process of its own, new or former walk:
//   walk_bench memory new|former TREE_FOLDER      prints the process's peak commit and working set
//   walk_bench make TREE_FOLDER FOLDERS SUBFOLDERS FILES   a tree of that shape
//   walk_bench chain TREE_FOLDER DEPTH             a chain of DEPTH folders, a file in each
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/change_log_file.h"
#include "app/job_settings.h"
#include "app/job_walk.h"
#include "app/local_time.h"
#include "text/wide_names.h"

namespace {

void MakeFile(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

void MakeTree(const std::string& root, int folders, int subfolders, int files) {
  CreateDirectoryA(root.c_str(), nullptr);
  for (int a = 0; a < folders; ++a) {
    std::string top = root + "\\top" + std::to_string(a);
    CreateDirectoryA(top.c_str(), nullptr);
    for (int b = 0; b < subfolders; ++b) {
      std::string sub = top + "\\sub" + std::to_string(b);
      CreateDirectoryA(sub.c_str(), nullptr);
      for (int c = 0; c < files; ++c) MakeFile(sub + "\\file" + std::to_string(c) + ".txt");
    }
  }
}

void MakeChain(const std::string& root, int depth) {
  std::wstring path = L"\\\\?\\";
  for (char c : root) path += static_cast<wchar_t>(c);
  CreateDirectoryW(path.c_str(), nullptr);
  for (int level = 0; level < depth; ++level) {
    path += L"\\level" + std::to_wstring(level);
    CreateDirectoryW(path.c_str(), nullptr);
    HANDLE file = CreateFileW((path + L"\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
}

std::size_t CountEntries(const std::string& folder) {
  std::size_t count = 1;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return count;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      count += CountEntries(folder + "\\" + name);
    else
      ++count;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end, LARGE_INTEGER frequency) {
  return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

// What the former walk did for one entry, given the attributes its search had read.
struct FormerWork {
  const FILETIME* write;  // null: no times
  DWORD orMask, andMask;
};

void FormerEntry(const char* path, DWORD attributes, const FormerWork& work) {
  if (work.write) {
    HANDLE file = CreateFileA(path, FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      SetFileTime(file, nullptr, nullptr, work.write);
      CloseHandle(file);
    }
  }
  DWORD wanted = (attributes | work.orMask) & work.andMask;
  if (wanted != attributes) SetFileAttributesA(path, wanted);
}

// The former walk below a folder: a search by path, each name through the code page gate into a
// path of at most 260 bytes, a folder before its contents, one search record per level.
void FormerWalkBelow(const char* folder, const FormerWork& work) {
  char pattern[MAX_PATH + 1];
  std::snprintf(pattern, sizeof pattern, "%s\\*", folder);
  WCHAR widePattern[MAX_PATH + 1];
  if (!WideFromPath(pattern, widePattern, MAX_PATH + 1)) return;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widePattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.cFileName[0] == L'.' &&
        (found.cFileName[1] == 0 || (found.cFileName[1] == L'.' && found.cFileName[2] == 0)))
      continue;
    char name[MAX_PATH + 1], path[MAX_PATH + 1];
    if (!NameFromWide(found.cFileName, name, sizeof name)) continue;
    if (std::snprintf(path, sizeof path, "%s\\%s", folder, name) >= static_cast<int>(sizeof path))
      continue;
    FormerEntry(path, found.dwFileAttributes, work);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) FormerWalkBelow(path, work);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

void FormerWalk(const std::string& root, const FormerWork& work) {
  FormerEntry(root.c_str(), GetFileAttributesA(root.c_str()), work);
  FormerWalkBelow(root.c_str(), work);
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

enum Pass {
  ATTRIBUTE_JOB, ATTRIBUTE_FORMER, ATTRIB, TIME_JOB, TIME_FORMER, BOTH_JOB, BOTH_FORMER,
  NOTHING_JOB, NOTHING_FORMER, SHIFT_JOB, BOTH_LOGGED, PASSES
};
const char* const kPassNames[PASSES] = {"attributes job", "attributes former", "attrib /s",
                                        "times job",      "times former",      "both job",
                                        "both former",    "nothing job",       "nothing former",
                                        "shift job",      "both job, logged"};

// Passes that are compared run side by side and take turns at going first.
const std::vector<std::vector<int>> kGroups = {{ATTRIBUTE_JOB, ATTRIBUTE_FORMER, ATTRIB},
                                               {TIME_JOB, TIME_FORMER, SHIFT_JOB},
                                               {BOTH_JOB, BOTH_FORMER, BOTH_LOGGED},
                                               {NOTHING_JOB, NOTHING_FORMER}};

struct Ratio {
  const char* name;
  int numerator, denominator;
};
const Ratio kRatios[] = {
    {"attributes: job / former walk", ATTRIBUTE_JOB, ATTRIBUTE_FORMER},
    {"attributes: job / attrib /s", ATTRIBUTE_JOB, ATTRIB},
    {"times: job / former walk", TIME_JOB, TIME_FORMER},
    {"both: job / former walk", BOTH_JOB, BOTH_FORMER},
    {"nothing to change: job / former walk", NOTHING_JOB, NOTHING_FORMER},
    {"times: shift job / date job", SHIFT_JOB, TIME_JOB},
    {"both: job with a log / without", BOTH_LOGGED, BOTH_JOB},
};

struct Settings {
  Settings(const std::string& root) {
    InitJobSettings(&record);
    record.showDialog = false;
    record.recurse = true;
    AddTarget(record.targets, root.c_str());
  }
  ~Settings() { DestroyTargetList(record.targets); }
  JobSettings record;
};

FILETIME ChosenTime(FILETIME* local) {
  FILETIME utc = {};
  SYSTEMTIME fields = {2006, 1, 2, 3, 12, 34, 56, 0};
  SystemTimeToFileTime(&fields, &utc);
  UtcToLocalFileTime(utc, local);
  return utc;
}

// The job as the program runs it with "/log:": the log made (replacing the last run's), one line
// written before each change, closed.
void RunLoggedJob(JobSettings* record, const std::string& logPath) {
  ChangeLog log;
  DWORD error = 0;
  if (!OpenChangeLog(&log, logPath.c_str(), true, &error)) {
    std::fprintf(stderr, "cannot make the log %s (%lu)\n", logPath.c_str(),
                 static_cast<unsigned long>(error));
    return;
  }
  record->log = &log;
  RunJob(record);
  record->log = nullptr;
  CloseChangeLog(&log);
}

int Time(const std::string& root, int runs) {
  if (GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) MakeTree(root, 25, 20, 38);
  std::size_t entries = CountEntries(root);
  Settings settings(root);
  FILETIME local;
  FILETIME utc = ChosenTime(&local);
  // Start from a known state: nothing hidden.
  FormerWalk(root, FormerWork{nullptr, 0, ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)});
  bool hidden = false;
  bool shiftedForward = false;
  const int64_t hour = 3600 * kTicksPerSecond;
  // A date pass writes a time that differs from the one each entry holds, as a shift does: the
  // date passes alternate between two instants an hour apart, each kind of pass on its own turn.
  auto later = [](const FILETIME& time, int64_t ticks) {
    ULONGLONG value = FileTimeTicks(time) + static_cast<ULONGLONG>(ticks);
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(value);
    result.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return result;
  };
  const FILETIME locals[2] = {local, later(local, hour)};
  const FILETIME utcs[2] = {utc, later(utc, hour)};
  int dateTurns[PASSES] = {};
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times[PASSES];
  for (int run = 0; run < runs; ++run) {
    for (std::size_t g = 0; g < kGroups.size(); ++g) {
      const std::vector<int>& group = kGroups[(g + run) % kGroups.size()];
      for (std::size_t k = 0; k < group.size(); ++k) {
        int pass = group[(k + run) % group.size()];
        bool flips = pass == ATTRIBUTE_JOB || pass == ATTRIBUTE_FORMER || pass == ATTRIB ||
                     pass == BOTH_JOB || pass == BOTH_FORMER || pass == BOTH_LOGGED;
        bool writesTime = pass == TIME_JOB || pass == TIME_FORMER || pass == BOTH_JOB ||
                          pass == BOTH_FORMER || pass == BOTH_LOGGED;
        DWORD orMask = 0, andMask = 0xFFFFFFFFu;
        if (flips && !hidden) orMask = FILE_ATTRIBUTE_HIDDEN;
        if (flips && hidden) andMask = ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
        if (pass == NOTHING_JOB || pass == NOTHING_FORMER)
          andMask = ~static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM);  // no entry has it
        settings.record.orMask = orMask;
        settings.record.andMask = andMask;
        const int turn = writesTime ? dateTurns[pass]++ % 2 : 0;
        settings.record.lastWrite = TimestampEntry{writesTime, ToFileTimeValue(locals[turn])};
        if (pass == SHIFT_JOB) {
          settings.record.lastWrite.enabled = true;
          settings.record.lastWrite.kind = TIME_KIND_SHIFT;
          settings.record.lastWrite.shift = shiftedForward ? -hour : hour;
          shiftedForward = !shiftedForward;
        }
        FormerWork former = {writesTime ? &utcs[turn] : nullptr, orMask, andMask};
        QueryPerformanceCounter(&start);
        switch (pass) {
          case ATTRIBUTE_JOB:
          case TIME_JOB:
          case BOTH_JOB:
          case NOTHING_JOB:
          case SHIFT_JOB: RunJob(&settings.record); break;
          case BOTH_LOGGED: RunLoggedJob(&settings.record, root + ".log.tsv"); break;
          case ATTRIB: Attrib(root, !hidden); break;
          default: FormerWalk(root, former); break;
        }
        QueryPerformanceCounter(&end);
        times[pass].push_back(Seconds(start, end, frequency));
        if (flips) hidden = !hidden;
      }
    }
  }
  if (hidden) FormerWalk(root, FormerWork{nullptr, 0, ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)});
  double count = static_cast<double>(entries);
  std::printf("entries %zu, runs %d; seconds: median, fastest, every run\n", entries, runs);
  for (int pass = 0; pass < PASSES; ++pass) {
    double median = Median(times[pass]);
    std::printf("%-18s %6.2f s %6.1f us/entry  fastest %6.2f s  (", kPassNames[pass], median,
                median / count * 1e6, Fastest(times[pass]));
    for (double seconds : times[pass]) std::printf(" %.2f", seconds);
    std::printf(" )\n");
  }
  std::printf("ratios: median of the runs' own ratios, and of the fastest runs\n");
  for (const Ratio& ratio : kRatios) {
    std::vector<double> perRun;
    for (int run = 0; run < runs; ++run)
      perRun.push_back(times[ratio.numerator][run] / times[ratio.denominator][run]);
    std::printf("%-38s = %.3f  fastest %.3f\n", ratio.name, Median(perRun),
                Fastest(times[ratio.numerator]) / Fastest(times[ratio.denominator]));
  }
  return 0;
}

// One job with attributes and times over the tree, then the process's peaks.
int Memory(const std::string& which, const std::string& root) {
  FILETIME local;
  FILETIME utc = ChosenTime(&local);
  PROCESS_MEMORY_COUNTERS before = {};
  before.cb = sizeof before;
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  if (which == "former") {
    FormerWalk(root, FormerWork{&utc, FILE_ATTRIBUTE_ARCHIVE, 0xFFFFFFFFu});
  } else {
    Settings settings(root);
    settings.record.orMask = FILE_ATTRIBUTE_ARCHIVE;
    settings.record.lastWrite = TimestampEntry{true, ToFileTimeValue(local)};
    RunJob(&settings.record);
  }
  PROCESS_MEMORY_COUNTERS after = {};
  after.cb = sizeof after;
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  long long peak = static_cast<long long>(after.PeakPagefileUsage);
  std::printf("%s walk: peak commit %lld KiB (%+lld KiB over the start), peak working set %lld KiB\n",
              which.c_str(), peak / 1024, (peak - static_cast<long long>(before.PagefileUsage)) / 1024,
              static_cast<long long>(after.PeakWorkingSetSize) / 1024);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "memory") return Memory(args[1], args[2]);
  if (args.size() == 5 && args[0] == "make") {
    MakeTree(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()), std::atoi(args[4].c_str()));
    std::printf("%zu entries\n", CountEntries(args[1]));
    return 0;
  }
  if (args.size() == 3 && args[0] == "chain") {
    MakeChain(args[1], std::atoi(args[2].c_str()));
    return 0;
  }
  if (args.size() == 1 || args.size() == 2) {
    int runs = args.size() == 2 ? std::atoi(args[1].c_str()) : 5;
    return Time(args[0], runs < 1 ? 1 : runs);
  }
  std::fprintf(stderr,
               "usage: walk_bench TREE [RUNS] | memory new|former TREE | make TREE A B C | "
               "chain TREE DEPTH\n");
  return 2;
}
