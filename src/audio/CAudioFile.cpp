#include "audio/CAudioFile.h"

#include "framework/CWindow.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr short kClassKind = 71;
constexpr uint32_t kHeaderBytes = 44;
constexpr uint32_t kFormatOffset = 20;
constexpr int32_t kSilencePiece = 10000;
constexpr int32_t kLargestData = INT32_MAX - 64;  // CFile counts its sizes in 32 bits

void put16(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char* p, uint32_t v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// One input sample in the 16-bit range.
int32_t read_sample(const unsigned char* p, uint16_t bits)
{
    if (bits == 16) return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    return (static_cast<int32_t>(p[0]) - 128) * 256;
}

// The output values of one channel for one input frame, from the previous sample `prev` and
// the current one `cur`, for an up-sampling factor of 1, 2 or 4 (in that order of output).
int interpolate(int32_t prev, int32_t cur, int32_t up, int32_t out[4])
{
    if (up == 2) {
        out[0] = (prev + cur) / 2;
        out[1] = cur;
        return 2;
    }
    if (up == 4) {
        out[0] = (3 * prev + cur) / 4;
        out[1] = (prev + cur) / 2;
        out[2] = (prev + 3 * cur) / 4;
        out[3] = cur;
        return 4;
    }
    out[0] = cur;
    return 1;
}

void write_value(int32_t v, uint16_t bits, std::vector<unsigned char>* dest)
{
    if (bits == 16) {
        dest->push_back(static_cast<unsigned char>(v & 0xFF));
        dest->push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
    } else {
        dest->push_back(static_cast<unsigned char>(v & 0xFF));
    }
}

}  // namespace

int32_t pcm_frame_size(const PcmFormat& f) { return f.bits == 16 ? f.channels * 2 : f.channels; }

bool pcm_format_supported(const PcmFormat& f)
{
    return f.rate > 0 && (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16);
}

void wav_header(const PcmFormat& f, uint32_t frames, unsigned char out[44])
{
    const uint32_t frame = static_cast<uint32_t>(pcm_frame_size(f));
    std::memcpy(out, "RIFF", 4);
    put32(out + 4, frame * frames + kHeaderBytes);
    std::memcpy(out + 8, "WAVE", 4);
    std::memcpy(out + 12, "fmt ", 4);
    put32(out + 16, 16);
    put16(out + 20, 1);
    put16(out + 22, f.channels);
    put32(out + 24, f.rate);
    put32(out + 28, frame * f.rate);
    put16(out + 32, frame);
    put16(out + 34, f.bits);
    std::memcpy(out + 36, "data", 4);
    put32(out + 40, frame * frames);
}

int32_t convert_pcm_block(const unsigned char* samples, int32_t bytes, const PcmFormat& in, const PcmFormat& out,
                          int32_t* left, int32_t* right, std::vector<unsigned char>* dest)
{
    if (!pcm_format_supported(in) || !pcm_format_supported(out) || bytes <= 0) return 0;
    const int32_t in_frame = pcm_frame_size(in);
    const int32_t n_in = bytes / in_frame;
    int32_t up = 1, down = 1;
    if (in.rate < out.rate) up = out.rate / in.rate == 2 ? 2 : 4;
    if (in.rate > out.rate) down = in.rate / out.rate == 2 ? 2 : 4;
    const int32_t n_out = up > 1 ? n_in * up : n_in / down;
    dest->reserve(dest->size() + static_cast<size_t>(n_out) * pcm_frame_size(out));
    const size_t start = dest->size();
    for (int32_t i = 0; i < n_in; i++) {
        const unsigned char* p = samples + static_cast<size_t>(i) * in_frame;
        const int32_t L = read_sample(p, in.bits);
        const int32_t R = in.channels == 2 ? read_sample(p + in.bits / 8, in.bits) : L;
        // Down-sampling keeps the first frame of each group of the block; an incomplete last
        // group writes nothing.
        const bool kept = down == 1 || (i % down == 0 && i / down < n_out);
        if (kept) {
            int32_t lv[4], rv[4];
            int count;
            if (out.bits == 16) {
                count = interpolate(*left, L, up, lv);
                interpolate(*right, R, up, rv);
            } else {
                count = interpolate((*left >> 8) + 128, (L >> 8) + 128, up, lv);
                interpolate((*right >> 8) + 128, (R >> 8) + 128, up, rv);
            }
            for (int k = 0; k < count; k++) {
                write_value(lv[k], out.bits, dest);
                if (out.channels == 2) write_value(rv[k], out.bits, dest);
            }
        }
        *left = L;
        *right = R;
    }
    return static_cast<int32_t>((dest->size() - start) / pcm_frame_size(out));
}

CAudioFile::CAudioFile() { uid = kClassKind; }

CAudioFile::~CAudioFile()
{
    delete editWin;
    editWin = nullptr;
    Close();
}

void CAudioFile::reset_fields()
{
    frameSize = 4;
    fileType = 0;
    data_offset = data_size = format_offset = 0;
    next_sample = total_sample = 0;
    microSecondsDuration = 0;
    readOnly = true;
    pause = false;
    ped = peg = 0;
    fileExists = false;
}

PcmFormat CAudioFile::format() const
{
    PcmFormat f;
    f.rate = sampleFrequency;
    f.channels = sampleMode;
    f.bits = sampleBits;
    return f;
}

bool CAudioFile::Create(const char* file_path, uint32_t rate, uint16_t bits, uint16_t channels, uint32_t frames)
{
    recording = 0;
    playing = 0;
    fd.close();
    reset_fields();
    write_failed.store(false, std::memory_order_release);
    PcmFormat f;
    f.rate = rate;
    f.bits = bits;
    f.channels = channels;
    if (!pcm_format_supported(f) || !file_path) return false;
    const int64_t silence = static_cast<int64_t>(pcm_frame_size(f)) * frames;
    if (silence > kLargestData) return false;
    if (!fd.open(file_path, "wb+")) return false;
    path.set(file_path);
    fileType = 1;
    sampleMode = channels;
    sampleFrequency = rate;
    sampleBits = bits;
    total_sample = frames;
    frameSize = static_cast<short>(pcm_frame_size(f));
    unsigned char header[kHeaderBytes];
    wav_header(f, frames, header);
    format_offset = kFormatOffset;
    data_offset = kHeaderBytes;
    data_size = static_cast<uint32_t>(silence);
    bool ok = fd.write(header, kHeaderBytes) == static_cast<int32_t>(kHeaderBytes);
    std::vector<unsigned char> quiet(static_cast<size_t>(kSilencePiece), bits == 16 ? 0 : 128);
    for (int64_t left = silence; ok && left > 0; left -= kSilencePiece) {
        int32_t piece = static_cast<int32_t>(std::min<int64_t>(left, kSilencePiece));
        ok = fd.write(quiet.data(), piece) == piece;
    }
    if (!ok) {
        fd.close();
        reset_fields();
        return false;
    }
    next_sample = 0;
    readOnly = false;
    fileExists = true;
    microSecondsDuration = static_cast<uint32_t>(static_cast<uint64_t>(frames) * 1000000u / rate);
    return true;
}

bool CAudioFile::append(const unsigned char* bytes, int32_t count)
{
    const int64_t end = static_cast<int64_t>(data_offset) + static_cast<int64_t>(frameSize) * total_sample;
    if (end + count > kLargestData) return false;
    if (!fd.setpos(0, static_cast<int32_t>(end))) return false;
    return count == 0 || fd.write(bytes, count) == count;
}

bool CAudioFile::patch_sizes()
{
    unsigned char size[4];
    put32(size, data_size);
    if (!fd.setpos(0, static_cast<int32_t>(data_offset - 4)) || fd.write(size, 4) != 4) return false;
    put32(size, static_cast<uint32_t>(fd.fileSize - 8));
    return fd.setpos(0, 4) && fd.write(size, 4) == 4;
}

int32_t CAudioFile::write_data(const void* samples, int32_t bytes, bool final, int32_t rate, short channels, short bits)
{
    if (!fd.opened() || playing || failed()) return 0;
    PcmFormat in;
    in.rate = rate > 0 ? static_cast<uint32_t>(rate) : 0;
    in.channels = static_cast<uint16_t>(channels);
    in.bits = static_cast<uint16_t>(bits);
    const PcmFormat out = format();
    const unsigned char* block = static_cast<const unsigned char*>(samples);
    if (bytes < 0 || (bytes > 0 && !block)) return 0;
    if (bytes > 0 && !pcm_format_supported(in)) return 0;
    bool ok = true;
    if (bytes > 0) {
        int32_t frames;
        if (in.rate == out.rate && in.channels == out.channels && in.bits == out.bits) {
            frames = bytes / frameSize;  // whole frames only
            ok = append(block, frames * frameSize);
        } else {
            waveBuffer.clear();
            frames = convert_pcm_block(block, bytes, in, out, &peg, &ped, &waveBuffer);
            ok = append(waveBuffer.data(), frames * frameSize);
        }
        if (ok) {
            total_sample += static_cast<uint32_t>(frames);
            next_sample += static_cast<uint32_t>(frames);
            data_size = static_cast<uint32_t>(frameSize) * total_sample;
        }
    }
    if (ok && final) ok = patch_sizes();
    if (!ok) {
        write_failed.store(true, std::memory_order_release);
        return 0;
    }
    microSecondsDuration = static_cast<uint32_t>(static_cast<uint64_t>(total_sample) * 1000000u / sampleFrequency);
    return bytes;
}

bool CAudioFile::Close()
{
    recording = 0;
    playing = 0;
    bool ok = true;
    if (fd.opened()) ok = fd.close();
    if (!ok) write_failed.store(true, std::memory_order_release);
    reset_fields();
    return ok;
}
