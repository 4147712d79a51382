// The common controls as the program gets them: through its manifest, in version 6, from the
// system's side-by-side store, and not from a folder that a search by name would reach.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/common_controls.h"

namespace {

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

TEST(CommonControls, ComeInVersionSixFromTheSideBySideStore) {
  ASSERT_TRUE(StartCommonControls());
  HMODULE library = CommonControlsLibrary();
  ASSERT_NE(nullptr, library);
  EXPECT_TRUE(StartCommonControls());
  EXPECT_EQ(library, CommonControlsLibrary()) << "a second start keeps the loaded library";
  char path[MAX_PATH + 1] = "";
  ASSERT_NE(0u, GetModuleFileNameA(library, path, sizeof path));
  // The store names each assembly's folder after its name, key and version.
  std::string folder = LowerCase(path);
  EXPECT_NE(std::string::npos, folder.find("\\winsxs\\")) << folder;
  EXPECT_NE(std::string::npos, folder.find("microsoft.windows.common-controls_6595b64144ccf1df_6."))
      << folder;
}

}  // namespace
