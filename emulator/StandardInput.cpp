#include "StandardInput.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <cstdio>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

bool StandardInput::isClosed()
{
#ifdef Q_OS_WIN
    // The C runtime has no handle for descriptor 0 when the program was started without one.
    return _get_osfhandle(_fileno(stdin)) < 0;
#else
    return fcntl(STDIN_FILENO, F_GETFD) < 0;
#endif
}
