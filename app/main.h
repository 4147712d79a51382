// The program's entry and main flow.
#pragma once

#include <windows.h>

int RunApplication(HINSTANCE instance, int count, char** vector);
