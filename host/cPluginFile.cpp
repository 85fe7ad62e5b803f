#include "cPluginFile.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#if defined(__linux__)
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>

namespace {

// The ELF class, byte order and machine of this very program: a plugin must match them.
#if defined(__x86_64__)
const int g_machine = EM_X86_64;
#elif defined(__aarch64__)
const int g_machine = EM_AARCH64;
#elif defined(__i386__)
const int g_machine = EM_386;
#elif defined(__arm__)
const int g_machine = EM_ARM;
#else
const int g_machine = -1; // not checked
#endif
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
const unsigned char g_data = ELFDATA2LSB;
#else
const unsigned char g_data = ELFDATA2MSB;
#endif

QString headerProblem(const ElfW(Ehdr) & header)
{
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return QStringLiteral("it is not a shared library (no ELF header)");
    if (header.e_ident[EI_CLASS] != (sizeof(void *) == 8 ? ELFCLASS64 : ELFCLASS32)
        || header.e_ident[EI_DATA] != g_data || (g_machine >= 0 && header.e_machine != g_machine))
        return QStringLiteral("it is a library for another kind of machine");
    if (header.e_type != ET_DYN)
        return QStringLiteral("it is not a shared library (ELF type %1)").arg(header.e_type);
    if (header.e_phentsize != sizeof(ElfW(Phdr)))
        return QStringLiteral("its ELF program headers are malformed");
    return QString();
}

QString truncated(qint64 size, quint64 needed)
{
    return QStringLiteral("the file is truncated: it has %1 bytes, its headers need %2")
        .arg(size)
        .arg(needed);
}

// Every table the loader reads and every segment it maps must lie inside the file.
QString extentProblem(const uchar *file, qint64 size, const ElfW(Ehdr) & header)
{
    const quint64 tables[] = {quint64(header.e_phoff) + quint64(header.e_phnum) * header.e_phentsize,
                              quint64(header.e_shoff) + quint64(header.e_shnum) * header.e_shentsize};
    for (quint64 end : tables) {
        if (end > quint64(size))
            return truncated(size, end);
    }
    for (int i = 0; i < header.e_phnum; ++i) {
        ElfW(Phdr) segment;
        std::memcpy(&segment, file + header.e_phoff + quint64(i) * sizeof segment, sizeof segment);
        const quint64 end = quint64(segment.p_offset) + segment.p_filesz;
        if (segment.p_type == PT_LOAD && end > quint64(size))
            return truncated(size, end);
    }
    return QString();
}

} // namespace

QString cPluginFile::problem(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString(); // the system loader says why, in its own words
    const qint64 size = file.size();
    ElfW(Ehdr) header;
    std::memset(&header, 0, sizeof header);
    const qint64 got = file.read(reinterpret_cast<char *>(&header), sizeof header);
    if (got < 0)
        return QStringLiteral("it cannot be read: %1").arg(file.errorString());
    if (got < SELFMAG || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return QStringLiteral("it is not a shared library (no ELF header)");
    if (got < qint64(sizeof header))
        return truncated(size, sizeof header);
    QString problem = headerProblem(header);
    if (!problem.isEmpty())
        return problem;
    const uchar *mapped = file.map(0, size);
    if (!mapped)
        return QStringLiteral("it cannot be read: %1").arg(file.errorString());
    problem = extentProblem(mapped, size, header);
    file.unmap(const_cast<uchar *>(mapped));
    return problem;
}

QString cPluginFile::symbolProblem(const void *address, const char *name)
{
    Dl_info info;
    void *entry = nullptr;
    if (!dladdr1(address, &info, &entry, RTLD_DL_SYMENT) || !entry)
        return QString(); // nothing more to tell than that the symbol resolved
    const int type = ELF64_ST_TYPE(static_cast<const ElfW(Sym) *>(entry)->st_info);
    if (type == STT_FUNC || type == STT_GNU_IFUNC)
        return QString();
    return QStringLiteral("'%1' is not a function").arg(QLatin1String(name));
}

#elif defined(Q_OS_WIN)

// Windows' loader checks a PE image before it maps it, and refuses a truncated one in its own
// words; what it does not check is that the entry is code.
QString cPluginFile::problem(const QString &)
{
    return QString();
}

QString cPluginFile::symbolProblem(const void *address, const char *name)
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
                                  | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return QString(); // nothing more to tell than that the symbol resolved
    // The loaded image keeps its headers at its base: the section the address lies in says
    // whether it may be run.
    const auto *base = reinterpret_cast<const unsigned char *>(module);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    const auto offset = quintptr(static_cast<const unsigned char *>(address) - base);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const quintptr size = qMax(section->Misc.VirtualSize, section->SizeOfRawData);
        if (offset < section->VirtualAddress || offset >= section->VirtualAddress + size)
            continue;
        if (section->Characteristics & IMAGE_SCN_MEM_EXECUTE)
            return QString();
        break;
    }
    return QStringLiteral("'%1' is not a function").arg(QLatin1String(name));
}

#else

QString cPluginFile::problem(const QString &)
{
    return QString();
}

QString cPluginFile::symbolProblem(const void *, const char *)
{
    return QString();
}

#endif
