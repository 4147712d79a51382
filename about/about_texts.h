// What the About box says: the product's name and version from a file's version resource, and
// the free system resources where the system's resource meter library reports them. Both
// libraries come from the system folder only (text/system_libraries.h).
#pragma once

#include "text/paths.h"

struct AboutTexts {
  char label[PATH_BUFFER_SIZE];    // "<name> ver. <version>"
  char caption[PATH_BUFFER_SIZE];  // "<name> について"
};

// The name is the product name, or the file description where that is empty. False, with both
// texts empty, when the file has no version resource or no translation in it.
bool ReadAboutTexts(const char* path, AboutTexts* texts);

// The resource meter's sentence, or an empty text where the system has no meter library.
void ReadFreeResourcesText(char* text, int size);
