#pragma once
#include <QString>

// The starter program folder that the executable carries (resources/home):
// profile/ with the previous-run file, the SuperUser profile with its page
// layouts and their initial copies in SuperUser/Init, the SuperUser-Init
// entry and the Service profile. The build puts the same files next to the
// executable.

// When QORVANE_HOME names a folder that is missing or empty, copies the
// starter files into it. Returns the line for the event log that says what
// was done, or an empty text when the folder was left alone (not set, or
// already holding something: a user's files are never touched).
QString FillEmptyProgramFolder();
