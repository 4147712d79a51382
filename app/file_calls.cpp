// The walk's platform calls (see file_calls.h).
#include "app/file_calls.h"

namespace {

const FileCalls* g_testCalls = nullptr;

}  // namespace

const FileCalls kPlatformFileCalls = {GetFileAttributesW,         CreateFileW,
                                      GetFileInformationByHandle, GetFileInformationByHandleEx,
                                      SetFileInformationByHandle, CloseHandle};

void SetFileCallsForTests(const FileCalls* calls) { g_testCalls = calls; }

const FileCalls& CurrentFileCalls() { return g_testCalls ? *g_testCalls : kPlatformFileCalls; }
