#pragma once
// Structured files: a 16-byte header whose first word is the signature 0xD927, the number of
// areas, and a table of numbered areas (byte ranges of the file, numbered from 1). Every
// number in the file is little-endian. The reader refuses, with 0, anything that does not fit
// that shape: a wrong signature, a table cut short, an area that lies outside the file.

#include "framework/CObject.h"
#include "framework/CString.h"

#include <cstdint>
#include <cstdio>
#include <vector>

// The 16 header bytes.
struct File_info {
    uint16_t signature;
    uint16_t type;     // kind of structured file, free for the writer
    uint16_t version;  // format version, not checked
    uint16_t res1, res2, res3, res4, res5;
};

// One entry of the area table (12 bytes in the file).
struct File_area {
    short ref;    // not used by the reader
    short libre;  // not used by the reader
    int32_t pos;  // file offset of the area's first byte
    int32_t tot;  // length of the area in bytes
};

class CStructFile : public CObject {
public:
    static constexpr uint16_t signature = 0xD927;
    // The area table (with its 100 spare entries and slot 0) takes at most this many bytes.
    static constexpr int32_t max_table_bytes = 31999;

    CStructFile();
    CStructFile(const CStructFile&) = delete;
    CStructFile& operator=(const CStructFile&) = delete;
    ~CStructFile() override;

    // 1 when the file is open and its area table read, else 0 (and the file closed).
    short open(const char* name);
    // Reads length bytes from offset bytes into area n, the length cut at the area's end.
    // 1 on a complete read; 0 when closed, n out of range, the offset or length negative,
    // nothing left after the cut, or the file ending before the bytes.
    short read_area(short n, int32_t offset, int32_t length, void* dest);
    // The area's length; 0 when closed, n is out of range or the length is negative.
    int32_t area_length(short n) const;
    // The 16 header bytes; 0 when the file is closed.
    short get_info(File_info* out);
    short get_tot_area() const { return tot_area; }
    // 1 when name is not empty and equals the path given to open, ignoring letter case.
    short is_name(const char* name) const;

    std::vector<File_area> area;  // slot 0 unused, slots 1 to tot_area from the file
    short max_area = 0;           // tot_area + 100
    short tot_area = 0;
    short tot_index = 0;
    FILE* fd = nullptr;  // null when closed
    CString name;

protected:
    void close();
};
