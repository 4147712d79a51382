#include <gtest/gtest.h>
#include "support/temp_folder.h"
TEST(Placeholder, TempFolderExists) {
  TempFolder folder;
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, Attributes(folder.Path()));
}
