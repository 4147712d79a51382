// Entry of the Wine test program: the platform services the program itself sets up at start.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include "controls/common_controls.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  StartCommonControls();
  CoInitialize(nullptr);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
