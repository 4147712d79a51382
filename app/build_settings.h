// Filling the job record from the command line: targets (with the attribute summary and
// default times), then options.
#pragma once

#include "app/job_settings.h"

// False, with no target list (the record is otherwise at its defaults), when memory runs out
// for the list itself: no job can be described then.
bool BuildJobSettings(JobSettings* record, int count, char** vector);
