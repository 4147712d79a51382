// Paths of the program's own shortcut (see shortcut_paths.h).
#include "shell/shortcut_paths.h"

#include <cstring>

#include "text/bounded.h"

namespace {

const char kShortcutExtension[] = ".lnk";
const std::size_t kExtensionLength = sizeof(kShortcutExtension) - 1;

}  // namespace

bool MakeProgramShortcutPaths(const char* programPath, const char* folder,
                              ProgramShortcutPaths* paths) {
  paths->shortcut[0] = 0;
  paths->workingFolder[0] = 0;
  // A cut program path would make a shortcut to some other file.
  if (std::strlen(programPath) > MAX_PATH_BYTES) return false;
  char stem[PATH_BUFFER_SIZE];
  CopyBounded(sizeof stem, FileNamePart(programPath), stem);
  CutExtension(stem);
  if (stem[0] == 0) return false;
  char shortcut[PATH_BUFFER_SIZE];
  if (!PathJoin(sizeof shortcut, shortcut, folder, stem)) return false;
  std::size_t length = std::strlen(shortcut);
  if (length + kExtensionLength > MAX_PATH_BYTES) return false;
  std::memcpy(shortcut + length, kShortcutExtension, kExtensionLength + 1);

  CopyBounded(sizeof paths->shortcut, shortcut, paths->shortcut);
  CopyBounded(sizeof paths->workingFolder, programPath, paths->workingFolder);
  CutFileName(paths->workingFolder);
  // "c:" alone would mean whatever folder is current on that drive, not its root.
  if (std::strlen(paths->workingFolder) == 2 && paths->workingFolder[1] == ':') {
    paths->workingFolder[2] = '\\';
    paths->workingFolder[3] = 0;
  }
  return true;
}
