#pragma once
#include <QStringList>

// How q71-host ends: its exit codes, and the lines it tells the user on standard error.
namespace RunExit {
// The run could not start.
const int Failure = 2;
// A run that went to its end but could not write all of its output.
const int OutputFailure = 1;
// A run that went to its end and broke an expectation, --strict or --check.
const int CheckFailed = 1;

// "q71-host: MESSAGE" on standard error; Failure.
int fail(const QString &message);
// Each line as it is, on standard error.
void printLines(const QStringList &lines);
} // namespace RunExit
