// version_importer: a program that imports the version library by name, as Morvane once did, and
// asks it for its own version. Started next to a planted library of that name, it uses the
// planted one: the test that plants libraries beside the program shows with it that a plant
// would be taken.
#include <windows.h>

int main() {
  char path[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  DWORD unused = 0;
  GetFileVersionInfoSizeA(path, &unused);  // the call is what counts, not its answer
  return 0;
}
