// SPDX-License-Identifier: MIT
// Writes the program's opening chime: a short two-tone 16-bit PCM mono WAV with a
// soft attack and a fading tail. Made at build time so that no third-party sound ships.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr std::uint32_t kSampleRate = 22050;
constexpr double kSeconds = 0.4;
constexpr double kPi = 3.14159265358979323846;

void putLe(std::ofstream& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

std::vector<std::int16_t> chime()
{
    const auto count = static_cast<std::size_t>(kSampleRate * kSeconds);
    std::vector<std::int16_t> samples(count);
    const std::size_t half = count / 2;
    for (std::size_t i = 0; i < count; ++i) {
        // A high note falling to a lower one: bright but not shrill.
        const bool second = i >= half;
        const double freq = second ? 880.0 : 1318.5;
        const double t = static_cast<double>(second ? i - half : i) / kSampleRate;
        const double attack = std::fmin(1.0, t / 0.005);      // no click at the note's start
        const double decay = std::exp(-t * 9.0);              // bell-like fade per note
        const double tail = 1.0 - static_cast<double>(i) / static_cast<double>(count); // silence at the end
        const double value = std::sin(2.0 * kPi * freq * t) * attack * decay * tail * 0.5;
        samples[i] = static_cast<std::int16_t>(std::lround(value * 32767.0));
    }
    return samples;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    const std::vector<std::int16_t> samples = chime();
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    out.write("RIFF", 4);
    putLe(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLe(out, 16, 4);                 // fmt chunk size
    putLe(out, 1, 2);                  // PCM
    putLe(out, 1, 2);                  // mono
    putLe(out, kSampleRate, 4);
    putLe(out, kSampleRate * 2, 4);    // byte rate
    putLe(out, 2, 2);                  // block align
    putLe(out, 16, 2);                 // bits per sample
    out.write("data", 4);
    putLe(out, dataBytes, 4);
    for (std::int16_t s : samples)
        putLe(out, static_cast<std::uint16_t>(s), 2);
    out.close();
    return out ? 0 : 1;
}
