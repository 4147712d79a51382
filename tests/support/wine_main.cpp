// Entry of the Wine test program: the platform services the program itself sets up at start.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  InitCommonControls();
  CoInitialize(nullptr);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
