#pragma once
// CFile: a buffered file made of 64 KB pages. One page is held in memory at a time; writing
// streams into it and writes it back when it is full, and a later seek to an earlier place
// (the WAV writer going back to patch its header) loads that page again. Used by the WAV
// writer and the audio settings file.
//
// Failures are counted, never hidden: a short count from `write`, 0 from `setpos`, false from
// `close` when a page could not be written back or the system refused to flush the file (a
// full disk). One thread at a time.

#include "framework/CObject.h"

#include <cstdint>
#include <cstdio>

class CFile : public CObject {
public:
    static constexpr int32_t kPageSize = 65536;

    CFile();
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Closes any open file and opens `path` (named as the program names files) with the
    // standard library's mode; the third argument is not used.
    bool open(const char* path, const char* mode, bool unused = false);
    // Writes back a changed page and closes; false when no file was open or anything failed
    // (the file is closed all the same).
    bool close();
    bool opened() const { return fd != nullptr; }

    int32_t getpos() const { return bufferOffset + pos; }
    // origin 0: from the start, 1: from the current position, 2: back from the end. Beyond
    // the end of a writable file the gap is filled with zeros. 1 on success, 0 on failure.
    short setpos(short origin, int32_t offset);
    // The bytes written (n when all went well; less after a failed page write).
    int32_t write(const void* data, int32_t n);
    bool write_string(const char* s);
    bool write_long(int32_t v);
    bool write_int(short v);
    bool write_return();

    unsigned char* buffer = nullptr;  // the page held
    int32_t bufferContent = 0;        // valid bytes in the page
    int32_t bufferTotal = 0;          // pages the file spans
    int32_t bufferIndex = -1;         // the page held; -1 = none
    int32_t pos = 0;                  // position within the page
    int32_t bufferOffset = 0;         // file offset of the page
    int32_t fileSize = 0;             // including bytes still held in the page
    bool bufferChanged = false;
    int32_t StillToRead = 0;          // bufferContent - pos
    bool writeEnabled = false;
    FILE* fd = nullptr;

private:
    bool LoadBuffer(int32_t page);
    bool write_back();
    void reset_counters();
    // Makes the page held valid for writing at the current position of an empty file.
    bool ensure_page();
};
