// soundgen FOLDER: writes the program's interface sounds into FOLDER as 16-bit mono WAV files
// at 44,100 Hz: "Clic.wav", a click of a few milliseconds, and "Key.wav", a soft key tap.
// The sounds are computed (decaying tones and a noise burst from a fixed seed), so that every
// build writes the same bytes.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int32_t kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// A partial of a sound: a sine that starts at full level and decays exponentially.
struct Partial {
    double hz;
    double level;     // 0..1 of full scale
    double decay_ms;  // time to fall to 1/e
};

struct SoundRecipe {
    const char* file;
    double length_ms;
    std::vector<Partial> partials;
    double noise_level;     // a burst of white noise at the start
    double noise_decay_ms;
};

// The same pseudo-random numbers on every machine: -1..1.
double next_noise(uint32_t* state)
{
    *state = *state * 1664525u + 1013904223u;
    return (*state >> 8) / double(1u << 23) - 1.0;
}

std::vector<int16_t> render(const SoundRecipe& r)
{
    const int32_t frames = static_cast<int32_t>(std::lround(r.length_ms * kRate / 1000));
    const int32_t attack = kRate / 5000;  // 0.2 ms: no step at the start
    const int32_t release = kRate / 1000; // 1 ms: ends on silence
    std::vector<int16_t> samples(frames);
    uint32_t seed = 0x5EED;
    for (int32_t i = 0; i < frames; ++i) {
        const double t_ms = 1000.0 * i / kRate;
        double v = r.noise_level * std::exp(-t_ms / r.noise_decay_ms) * next_noise(&seed);
        for (const Partial& p : r.partials)
            v += p.level * std::exp(-t_ms / p.decay_ms) * std::sin(2 * kPi * p.hz * i / kRate);
        if (i < attack) v *= double(i) / attack;
        const int32_t to_end = frames - 1 - i;
        if (to_end < release) v *= 0.5 - 0.5 * std::cos(kPi * to_end / release);
        samples[i] = static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 32767));
    }
    return samples;
}

void put16(std::string* out, uint32_t v)
{
    out->push_back(char(v & 0xFF));
    out->push_back(char((v >> 8) & 0xFF));
}

void put32(std::string* out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool write_wav(const std::string& path, const std::vector<int16_t>& samples)
{
    const uint32_t data_bytes = uint32_t(samples.size() * 2);
    std::string out = "RIFF";
    put32(&out, 36 + data_bytes);
    out += "WAVEfmt ";
    put32(&out, 16);
    put16(&out, 1);         // PCM
    put16(&out, 1);         // mono
    put32(&out, kRate);
    put32(&out, kRate * 2); // bytes per second
    put16(&out, 2);         // bytes per frame
    put16(&out, 16);        // bits per sample
    out += "data";
    put32(&out, data_bytes);
    for (int16_t s : samples) put16(&out, uint16_t(s));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen FOLDER\n");
        return 2;
    }
    const SoundRecipe recipes[] = {
        // A short bright tick: two high partials and a noise burst, gone within 8 ms.
        {"Clic.wav", 8, {{3150, 0.30, 0.9}, {1900, 0.20, 1.4}}, 0.35, 0.4},
        // A soft tap: a low thump with a little wood in it, 45 ms long.
        {"Key.wav", 45, {{170, 0.28, 9}, {420, 0.14, 5}, {1250, 0.06, 2}}, 0.12, 1.5},
    };
    for (const SoundRecipe& r : recipes) {
        const std::string path = std::string(argv[1]) + "/" + r.file;
        if (!write_wav(path, render(r))) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
            std::remove(path.c_str());
            return 1;
        }
    }
    return 0;
}
