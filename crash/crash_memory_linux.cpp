#include "crash/crash_memory_linux.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

namespace crash {
namespace {

int g_probePipe[2] = {-1, -1};

uintptr_t parseHex(const char *&p)
{
    uintptr_t value = 0;
    for (;; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9')
            value = value * 16 + uintptr_t(c - '0');
        else if (c >= 'a' && c <= 'f')
            value = value * 16 + uintptr_t(c - 'a' + 10);
        else
            return value;
    }
}

void skipField(const char *&p)
{
    while (*p && *p != ' ')
        ++p;
    while (*p == ' ')
        ++p;
}

// "start-end perms offset dev inode   path".
bool parseMapping(const char *line, Mapping &out, uintptr_t &offset)
{
    const char *p = line;
    out.start = parseHex(p);
    if (*p++ != '-')
        return false;
    out.end = parseHex(p);
    if (*p++ != ' ')
        return false;
    out.executable = p[0] && p[1] && p[2] == 'x';
    skipField(p); // perms
    offset = parseHex(p);
    skipField(p); // rest of the offset
    skipField(p); // dev
    skipField(p); // inode
    size_t n = 0;
    while (p[n] && n + 1 < sizeof out.path) {
        out.path[n] = p[n];
        ++n;
    }
    out.path[n] = '\0';
    return true;
}

bool samePath(const char *a, const char *b)
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

template <typename T> bool readStruct(uintptr_t address, T &out)
{
    return readMemory(address, &out, sizeof out);
}

void appendHexByte(char *&out, uint8_t byte)
{
    *out++ = "0123456789abcdef"[byte >> 4];
    *out++ = "0123456789abcdef"[byte & 0xF];
}

bool readBuildId(uintptr_t notes, uintptr_t size, char (&out)[2 * 64 + 1])
{
    for (uintptr_t at = notes; at + sizeof(Elf64_Nhdr) <= notes + size;) {
        Elf64_Nhdr header;
        if (!readStruct(at, header))
            return false;
        const uintptr_t name = at + sizeof header;
        const uintptr_t desc = name + ((header.n_namesz + 3) & ~3u);
        at = desc + ((header.n_descsz + 3) & ~3u);
        char owner[4];
        if (header.n_type != NT_GNU_BUILD_ID || header.n_namesz != 4 ||
            !readMemory(name, owner, 4) || !samePath(owner, "GNU") || header.n_descsz > 64)
            continue;
        uint8_t id[64];
        if (!readMemory(desc, id, header.n_descsz))
            return false;
        char *p = out;
        for (uint32_t i = 0; i < header.n_descsz; ++i)
            appendHexByte(p, id[i]);
        *p = '\0';
        return true;
    }
    return false;
}

// Calls visit(mapping) for each line of /proc/self/maps until it returns true; read through a
// fixed buffer.
template <typename Visit> bool forEachMapping(Mapping &out, Visit visit)
{
    const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char chunk[4096];
    char line[640];
    size_t lineLength = 0;
    bool found = false;
    // The image's first mapping comes first in the list: the one at file offset 0.
    uintptr_t imageStart = 0;
    char imagePath[sizeof out.path] = {};
    ssize_t got;
    while (!found && (got = read(fd, chunk, sizeof chunk)) > 0) {
        for (ssize_t i = 0; i < got && !found; ++i) {
            if (chunk[i] != '\n') {
                if (lineLength + 1 < sizeof line)
                    line[lineLength++] = chunk[i];
                continue;
            }
            line[lineLength] = '\0';
            lineLength = 0;
            uintptr_t offset = 0;
            if (!parseMapping(line, out, offset))
                continue;
            if (offset == 0 || !samePath(out.path, imagePath)) {
                imageStart = out.start;
                for (size_t n = 0; n < sizeof imagePath; ++n)
                    imagePath[n] = out.path[n];
            }
            out.imageStart = imageStart;
            found = visit(out);
        }
    }
    close(fd);
    return found;
}

} // namespace

void openMemoryProbe()
{
    if (g_probePipe[1] < 0 && pipe2(g_probePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_probePipe[0] = g_probePipe[1] = -1;
}

bool readMemory(uintptr_t address, void *out, size_t length)
{
    if (g_probePipe[1] < 0)
        return false;
    const ssize_t copied = write(g_probePipe[1], reinterpret_cast<const void *>(address), length);
    if (copied <= 0)
        return false;
    const ssize_t drained = read(g_probePipe[0], out, size_t(copied));
    return copied == ssize_t(length) && drained == copied;
}

bool findMapping(uintptr_t address, Mapping &out)
{
    return forEachMapping(
        out, [address](const Mapping &m) { return m.start <= address && address < m.end; });
}

int listImages(Image *out, int capacity)
{
    int count = 0;
    Mapping mapping;
    forEachMapping(mapping, [&](const Mapping &m) {
        const char *path = m.start == m.imageStart ? moduleOf(m) : nullptr;
        if (path && imageFacts(m.imageStart, out[count].facts)) {
            out[count].start = m.imageStart;
            for (size_t n = 0; n < sizeof out[count].path; ++n)
                out[count].path[n] = path[n];
            ++count;
        }
        return count == capacity;
    });
    return count;
}

const char *moduleOf(const Mapping &mapping)
{
    const char *path = mapping.path;
    const bool vdso = path[0] == '[' && path[1] == 'v' && path[2] == 'd';
    return path[0] == '/' || vdso ? path : nullptr;
}

bool imageFacts(uintptr_t imageStart, ImageFacts &out)
{
    out = ImageFacts();
    Elf64_Ehdr header;
    if (!readStruct(imageStart, header) || header.e_ident[EI_MAG0] != ELFMAG0 ||
        header.e_ident[EI_MAG1] != ELFMAG1 || header.e_ident[EI_MAG2] != ELFMAG2 ||
        header.e_ident[EI_MAG3] != ELFMAG3 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_phentsize != sizeof(Elf64_Phdr))
        return false;
    bool haveBias = false;
    uintptr_t notes[8][2];
    int noteCount = 0;
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        if (!readStruct(imageStart + header.e_phoff + uintptr_t(i) * sizeof segment, segment))
            return false;
        if (segment.p_type == PT_LOAD && segment.p_offset == 0 && !haveBias) {
            out.bias = imageStart - uintptr_t(segment.p_vaddr);
            haveBias = true;
        } else if (segment.p_type == PT_NOTE && noteCount < 8) {
            notes[noteCount][0] = uintptr_t(segment.p_vaddr);
            notes[noteCount++][1] = uintptr_t(segment.p_memsz);
        }
    }
    if (!haveBias)
        return false;
    for (int i = 0; i < noteCount; ++i)
        if (readBuildId(out.bias + notes[i][0], notes[i][1], out.buildId))
            break;
    return true;
}

} // namespace crash
