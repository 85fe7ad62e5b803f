#include "cScenarioFile.h"

#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

// What one read takes from the file: large enough that a read costs little per line.
const qint64 g_chunk = 64 * 1024;
// A line is a few dozen bytes. One that never ends (a file of another kind, /dev/zero) is refused
// rather than held until memory runs out.
const int g_lineLimit = 1024 * 1024;

} // namespace

bool cScenarioFile::open(const QString &argument)
{
    m_error.clear();
    if (argument.isEmpty()) {
        m_file.setFileName(QStringLiteral(":/q71/demo.q71"));
        m_source = QStringLiteral("demo.q71");
    } else if (argument == QLatin1String("-")) {
        m_source = QStringLiteral("<stdin>");
        if (!m_file.open(stdin, QIODevice::ReadOnly)) {
            m_error = QStringLiteral("cannot read the scenario from standard input: %1")
                          .arg(m_file.errorString());
            return false;
        }
    } else {
        m_file.setFileName(argument);
        m_source = argument;
        if (QFileInfo(argument).isDir()) {
            m_error = QStringLiteral("cannot read scenario %1: it is a directory").arg(argument);
            return false;
        }
    }
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read scenario %1: %2").arg(m_source, m_file.errorString());
        return false;
    }
    // A pipe, a FIFO or a terminal gives its bytes once: they are kept during the first reading.
    // So is standard input whatever it is, for it need not be read from its start.
    if ((argument == QLatin1String("-") || m_file.isSequential()) && !m_spool.open()) {
        m_error = QStringLiteral("cannot read scenario %1: cannot keep it in a temporary file: %2")
                      .arg(m_source, m_spool.errorString());
        return false;
    }
    m_in = &m_file;
    return true;
}

bool cScenarioFile::check(cScenarioParser *parser,
                          const std::function<void(const cScenarioCommand &)> &inspect)
{
    const bool spooling = m_spool.isOpen();
    parser->begin(m_source);
    QByteArray line;
    cScenarioCommand command;
    while (readLine(&line)) {
        if (parser->parseLine(line, m_lineNumber, &command) && inspect)
            inspect(command);
        if (spooling && (m_spool.write(line) != line.size() || !m_spool.putChar('\n'))) {
            m_error = QStringLiteral("cannot read scenario %1: cannot keep it in %2: %3")
                          .arg(m_source, m_spool.fileName(), m_spool.errorString());
            return false;
        }
    }
    return m_error.isEmpty() && rewind();
}

bool cScenarioFile::next(cScenarioCommand *command)
{
    QByteArray line;
    while (readLine(&line)) {
        if (m_parser.parseLine(line, m_lineNumber, command))
            return true;
        if (m_parser.errorCount() > 0) {
            m_error = QStringLiteral("scenario %1 changed while it ran: line %2 is no longer a command")
                          .arg(m_source)
                          .arg(m_lineNumber);
            return false;
        }
    }
    return false;
}

bool cScenarioFile::rewind()
{
    if (m_spool.isOpen())
        m_in = &m_spool;
    if (!m_in->seek(0)) {
        m_error = QStringLiteral("cannot read scenario %1 again: %2").arg(m_source, m_in->errorString());
        return false;
    }
    m_buffer.clear();
    m_position = 0;
    m_lineNumber = 0;
    m_atEnd = false;
    m_parser.begin(m_source);
    return true;
}

bool cScenarioFile::readLine(QByteArray *line)
{
    for (;;) {
        const char *start = m_buffer.constData() + m_position;
        const char *end = static_cast<const char *>(std::memchr(start, '\n', m_buffer.size() - m_position));
        if (end || (m_atEnd && m_position < m_buffer.size())) {
            const int length = end ? int(end - start) : m_buffer.size() - m_position;
            *line = QByteArray(start, length);
            // A last line without its line break ends at the end of the buffer, not one past it.
            m_position += end ? length + 1 : length;
            ++m_lineNumber;
            return true;
        }
        if (m_atEnd)
            return false;
        if (m_buffer.size() - m_position > g_lineLimit) {
            m_error = QStringLiteral("cannot read scenario %1: line %2 is longer than %3 bytes")
                          .arg(m_source)
                          .arg(m_lineNumber + 1)
                          .arg(g_lineLimit);
            m_atEnd = true;
            return false;
        }
        m_buffer.remove(0, m_position);
        m_position = 0;
        const int held = m_buffer.size();
        m_buffer.resize(int(held + g_chunk));
        const qint64 got = m_in->read(m_buffer.data() + held, g_chunk);
        m_buffer.resize(held + int(std::max<qint64>(got, 0)));
        if (got < 0)
            return readFailed();
        m_atEnd = got == 0;
    }
}

bool cScenarioFile::readFailed()
{
    m_error = QStringLiteral("cannot read scenario %1: %2").arg(m_source, m_in->errorString());
    m_atEnd = true;
    return false;
}
