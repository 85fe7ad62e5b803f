#pragma once
#include <QString>
#include <QtGlobal>

// The program's own messages about its surroundings (a node it may not open, no sound server, a
// configuration it leaves out in part), written to standard error whatever the trace shows: a
// user service runs with --quiet, and its journal is where they must be read.
//
// Each is one line. Under systemd (JOURNAL_STREAM names the very stream standard error is) it
// starts with the sd-daemon priority, "<4>" for a warning, so that the journal files it as one
// and colours it, without the program's name, which the journal adds itself. Anywhere else it
// reads "q71-host: warning: ...", as the program's other lines on standard error do.
namespace StderrLog {

// Whether the message goes there: warnings and worse of the program's own "q71." categories;
// the plugin's and the framework's messages are what a run traces, not the program's.
bool isForStderr(QtMsgType type, const char *category);
void write(QtMsgType type, const QString &message);

} // namespace StderrLog
