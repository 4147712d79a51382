// The program's version, once for the version resource and the change log's first line.
#pragma once

#define MORVANE_VERSION_NUMBERS 0, 0, 1, 11
#define MORVANE_VERSION_TEXT "0.1B"
