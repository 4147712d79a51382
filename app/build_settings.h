// Filling the job record from the command line: targets (with the attribute summary and
// default times), then options.
#pragma once

#include "app/job_settings.h"

bool BuildJobSettings(JobSettings* record, int count, char** vector);
