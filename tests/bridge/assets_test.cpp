// What the build stages beside the executable: the opening chime and the
// expert advisor's source.

#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quorvane {
namespace {

std::uint32_t le(const std::string& bytes, std::size_t at, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

TEST(AssetsTest, ChimeIsShortMono16BitPcmThatFadesOut)
{
    const std::string wav = test::readFile(QUORVANE_BIN_DIR "/open.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(le(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le(wav, 20, 2), 1u);  // PCM
    EXPECT_EQ(le(wav, 22, 2), 1u);  // mono
    EXPECT_EQ(le(wav, 34, 2), 16u); // bits
    EXPECT_EQ(wav.substr(36, 4), "data");
    const std::uint32_t dataBytes = le(wav, 40, 4);
    EXPECT_EQ(dataBytes, wav.size() - 44);

    const double seconds = static_cast<double>(dataBytes) / le(wav, 28, 4);
    EXPECT_NEAR(seconds, 0.4, 0.05);

    // Audible, unclipped, and silent at both ends so it does not click.
    int peak = 0;
    for (std::size_t at = 44; at + 1 < wav.size(); at += 2)
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(le(wav, at, 2)))));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32767);
    const auto first = static_cast<std::int16_t>(le(wav, 44, 2));
    const auto last = static_cast<std::int16_t>(le(wav, wav.size() - 2, 2));
    EXPECT_LT(std::abs(first), 100);
    EXPECT_LT(std::abs(last), 100);
}

TEST(AssetsTest, ExpertSourceIsStagedWithItsInputsAndNoCompiledExpert)
{
    const std::string source = test::readFile(QUORVANE_BIN_DIR "/Quorvane.mq4");
    for (const char* input : {"extern int    magic        = 300000;", "extern double LimitedFunds = 0;",
                              "extern double MaximumRisk  = 0.1;", "extern int    LevelNum     = 16;",
                              "extern bool   OnlyClose    = false;", "extern double LP           = 1;",
                              "extern double MaxSignal    = 0.25;"}) {
        SCOPED_TRACE(input);
        EXPECT_NE(source.find(input), std::string::npos);
    }
    // A fake compiled expert would be worse than none.
    EXPECT_FALSE(std::filesystem::exists(QUORVANE_BIN_DIR "/Quorvane.ex4"));
}

} // namespace
} // namespace quorvane
