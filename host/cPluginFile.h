#pragma once
#include <QString>

// What can be told of a plugin file before the system loader maps it, and of its entry symbol
// after. The system loader trusts the file: a truncated library makes dlopen touch pages past the
// end of the file (SIGBUS), and an `entrypoint` that is data is called all the same (SIGSEGV). As
// Qt's own plugin loader does, the host reads the ELF headers first and refuses what would crash.
class cPluginFile
{
public:
    // Empty when the file looks loadable: an ELF shared object of this machine whose headers and
    // loadable segments lie inside the file. Otherwise why not, as a clause ("the file is
    // truncated: ..."). Files of other formats are left to the system loader where it is not ELF.
    static QString problem(const QString &fileName);
    // Empty when `address`, resolved from the loaded library, is a function; otherwise why not.
    static QString symbolProblem(const void *address, const char *name);
};
