#include "RunExit.h"

#include <cstdio>

int RunExit::fail(const QString &message)
{
    std::fprintf(stderr, "q71-host: %s\n", qUtf8Printable(message));
    return Failure;
}

void RunExit::printLines(const QStringList &lines)
{
    for (const QString &line : lines)
        std::fprintf(stderr, "%s\n", qUtf8Printable(line));
}
