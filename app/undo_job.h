// An undo: the job that puts entries back from a change log, newest line first, so that an
// entry the job changed twice ends as it was before the first change. Each entry is found by
// its path and must be the very entry the log names (its volume and file id); it is written
// back only where it still holds what the job wrote, and left and told otherwise, except where
// it already holds what it held before. Its own log, where it writes one, makes the undo one
// more job that can be undone.
#pragma once

#include "app/job_report.h"
#include "app/job_settings.h"

void RunUndo(const JobSettings* settings, JobReport* report);
