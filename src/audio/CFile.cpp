#include "audio/CFile.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr short kClassKind = 61;
}

CFile::CFile()
{
    uid = kClassKind;
    buffer = new unsigned char[kPageSize];
}

CFile::~CFile()
{
    close();
    delete[] buffer;
}

void CFile::reset_counters()
{
    bufferContent = 0;
    bufferTotal = 0;
    bufferIndex = -1;
    pos = 0;
    bufferOffset = 0;
    fileSize = 0;
    bufferChanged = false;
    StillToRead = 0;
    writeEnabled = false;
}

bool CFile::open(const char* path, const char* mode, bool)
{
    close();
    if (!path || !mode) return false;
    fd = platform::open_file(path, mode);
    if (!fd) return false;
    writeEnabled = std::strpbrk(mode, "w+a") != nullptr;
    if (std::fseek(fd, 0, SEEK_END) == 0) {
        long end = std::ftell(fd);
        fileSize = end > 0 ? static_cast<int32_t>(std::min<long>(end, INT32_MAX)) : 0;
    }
    bufferTotal = fileSize > 0 ? (fileSize - 1) / kPageSize + 1 : 0;
    return true;
}

bool CFile::close()
{
    if (!fd) {
        reset_counters();
        return false;
    }
    bool ok = !bufferChanged || write_back();
    if (std::fclose(fd) != 0) ok = false;
    fd = nullptr;
    reset_counters();
    return ok;
}

bool CFile::write_back()
{
    if (!fd || !writeEnabled) return false;
    if (std::fseek(fd, bufferOffset, SEEK_SET) != 0) return false;
    if (std::fwrite(buffer, 1, static_cast<size_t>(bufferContent), fd) != static_cast<size_t>(bufferContent))
        return false;
    // The data must reach the system now: a full disk shows here, not at some later close.
    if (std::fflush(fd) != 0) return false;
    bufferChanged = false;
    return true;
}

bool CFile::LoadBuffer(int32_t page)
{
    if (bufferChanged && !write_back()) return false;
    if (page < 0 || page >= bufferTotal) return false;
    bufferOffset = page * kPageSize;
    bufferIndex = page;
    bufferContent = StillToRead = std::min(kPageSize, fileSize - bufferOffset);
    pos = 0;
    if (std::fseek(fd, bufferOffset, SEEK_SET) != 0) return false;
    return std::fread(buffer, 1, static_cast<size_t>(bufferContent), fd) == static_cast<size_t>(bufferContent);
}

bool CFile::ensure_page()
{
    if (bufferIndex >= 0) return true;
    if (bufferTotal > 0) return LoadBuffer(0);
    // A file without a page starts at page 0 with one page.
    bufferIndex = 0;
    bufferTotal = 1;
    bufferOffset = 0;
    bufferContent = StillToRead = pos = 0;
    return true;
}

int32_t CFile::write(const void* data, int32_t n)
{
    if (n < 1 || !fd || !writeEnabled) return 0;
    if (!ensure_page()) return 0;
    const unsigned char* from = static_cast<const unsigned char*>(data);
    int32_t written = 0;
    while (written < n) {
        int32_t take = std::min(StillToRead, n - written);
        if (take > 0) {
            std::memcpy(buffer + pos, from + written, static_cast<size_t>(take));
            pos += take;
            StillToRead -= take;
            written += take;
            bufferChanged = true;
        }
        if (written == n) break;
        if (bufferIndex == bufferTotal - 1 && bufferContent < kPageSize) {
            // The last page grows in memory.
            int32_t grow = std::min(kPageSize - bufferContent, n - written);
            bufferContent += grow;
            fileSize += grow;
            StillToRead += grow;
            continue;
        }
        if (bufferChanged && !write_back()) return written;
        if (bufferIndex + 1 < bufferTotal) {
            if (!LoadBuffer(bufferIndex + 1)) return written;
            continue;
        }
        // A new page after the last one.
        bufferTotal++;
        bufferIndex++;
        bufferOffset = bufferIndex * kPageSize;
        bufferContent = StillToRead = std::min(kPageSize, n - written);
        fileSize += bufferContent;
        pos = 0;
        bufferChanged = false;
    }
    return written;
}

short CFile::setpos(short origin, int32_t offset)
{
    if (!fd) return 0;
    int64_t target;
    switch (origin) {
    case 0: target = offset; break;
    case 1: target = static_cast<int64_t>(bufferOffset) + pos + offset; break;
    case 2: target = static_cast<int64_t>(fileSize) - offset; break;
    default: return 0;
    }
    if (target < 0 || target > INT32_MAX) return 0;
    if (target > fileSize && !writeEnabled) target = fileSize;
    if (target > fileSize) {
        // Zeros from the end of the file up to the target.
        if (bufferChanged && !write_back()) return 0;
        std::memset(buffer, 0, kPageSize);
        if (std::fseek(fd, 0, SEEK_END) != 0) return 0;
        while (fileSize < target) {
            int32_t piece = static_cast<int32_t>(std::min<int64_t>(kPageSize, target - fileSize));
            if (std::fwrite(buffer, 1, static_cast<size_t>(piece), fd) != static_cast<size_t>(piece)) return 0;
            fileSize += piece;
        }
        if (std::fflush(fd) != 0) return 0;
        bufferTotal = (fileSize - 1) / kPageSize + 1;
        bufferIndex = -1;
        if (!LoadBuffer(bufferTotal - 1)) return 0;
    }
    if (bufferTotal == 0) {
        // An empty file: nothing to hold yet.
        pos = 0;
        StillToRead = 0;
        return 1;
    }
    int32_t t = static_cast<int32_t>(target);
    if (bufferIndex < 0 || t < bufferOffset || t > bufferOffset + bufferContent) {
        if (!LoadBuffer(std::max<int32_t>(0, (t - 1) / kPageSize))) return 0;
    }
    pos = t - bufferOffset;
    StillToRead = bufferContent - pos;
    return 1;
}

bool CFile::write_string(const char* s)
{
    int32_t n = s ? static_cast<int32_t>(std::strlen(s)) : 0;
    return n == 0 || write(s, n) == n;
}

bool CFile::write_long(int32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", v);
    return write_string(text);
}

bool CFile::write_int(short v) { return write_long(v); }

bool CFile::write_return()
{
    const char lf = 10;
    return write(&lf, 1) == 1;
}
