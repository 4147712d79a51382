// Starting the real program from the tests as the shell would, waiting for it, and finding its
// dialogs as any other program would find them.
#pragma once

#include <windows.h>

#include <string>

std::string TestsFolder();  // the test program's folder, which holds the planted libraries too
std::string ProgramPath();  // morvane.exe in the build folder
std::string Quoted(const std::string& text);

// Starts a program (suspended when flags ask); the caller waits for it.
PROCESS_INFORMATION StartProgramFile(const std::string& program, const std::string& arguments,
                                     DWORD flags, const char* workingFolder = nullptr);
PROCESS_INFORMATION StartProgram(const std::string& arguments, const char* workingFolder = nullptr);
// The exit code; a program that does not end in time is ended and the test fails.
DWORD WaitForExit(PROCESS_INFORMATION& process, DWORD timeout = 60000);
DWORD RunProgram(const std::string& arguments);

// The settings dialog of a started program; with other given, a second dialog besides that one.
HWND WaitForDialog(const PROCESS_INFORMATION& process, HWND other = nullptr);
void Click(HWND dialog, int id);
