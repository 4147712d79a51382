// The name filter: which files the job changes. Folders are always changed.
#pragma once

bool AcceptName(const char* path, const char* pattern, int kind);
