// The synthesised sounds: every one decodes, the loops join, the music pair lines up.
#include "engine/sound.h"
#include "tools/ogg_encode.h"
#include "tools/pack_assets.h"

#include <gtest/gtest.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Decoded {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    long frames = 0;  // as the stream declares
    std::vector<short> pcm;
    short at(size_t frame, int channel) const { return pcm[frame * static_cast<size_t>(channels) + channel]; }
    size_t decodedFrames() const { return pcm.size() / static_cast<size_t>(channels); }
};

Decoded decode(const std::vector<unsigned char>& image)
{
    Decoded d;
    OggMemoryFile memory = {image.data(), static_cast<int>(image.size()), 0};
    OggVorbis_File vf;
    const ov_callbacks cb = {VorbisRead, VorbisSeek, VorbisClose, VorbisTell};
    if (ov_open_callbacks(&memory, &vf, nullptr, 0, cb) != 0)
        return d;
    d.channels = ov_info(&vf, -1)->channels;
    d.rate = ov_info(&vf, -1)->rate;
    d.frames = static_cast<long>(ov_pcm_total(&vf, -1));
    char buf[8192];
    int section = 0;
    long got;
    while ((got = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
        const size_t old = d.pcm.size();
        d.pcm.resize(old + static_cast<size_t>(got) / 2);
        std::memcpy(&d.pcm[old], buf, static_cast<size_t>(got));
    }
    d.ok = got == 0;
    ov_clear(&vf);
    return d;
}

const char* const kEffects[] = {"stab6.ogg", "clunk-hardcore.ogg", "swish.ogg", "tick.ogg", "subdrop.ogg",
                                "woob.ogg", "explosey3.ogg", "lazor.ogg", "cheeve6.ogg", "endbreakshort3.ogg",
                                "clockbeep.ogg", "powerupready.ogg"};
const char* const kLoops[] = {"massincrease.ogg", "ethereal2.ogg", "trololo.ogg", "tsdnb_melody_loop.ogg",
                              "tsdnb_drums.ogg"};

class SoundSynthTest : public ::testing::Test {
protected:
    static std::vector<PackAsset> assets;
    static std::map<std::string, Decoded> decoded;

    static void SetUpTestSuite()
    {
        if (!assets.empty())
            return;
        generateSounds(assets);
        for (const PackAsset& a : assets)
            decoded[a.name] = decode(a.data);
    }

    static const Decoded& sound(const std::string& name) { return decoded.at("sounds\\" + name); }
};
std::vector<PackAsset> SoundSynthTest::assets;
std::map<std::string, Decoded> SoundSynthTest::decoded;

TEST_F(SoundSynthTest, EverySoundIsThereOnceAndDecodes)
{
    std::vector<std::string> expected;
    for (const char* n : kEffects)
        expected.push_back(std::string("sounds\\") + n);
    for (const char* n : kLoops)
        expected.push_back(std::string("sounds\\") + n);
    std::vector<std::string> names;
    for (const PackAsset& a : assets)
        names.push_back(a.name);
    std::sort(expected.begin(), expected.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);

    for (const PackAsset& a : assets) {
        SCOPED_TRACE(a.name);
        const Decoded& d = decoded.at(a.name);
        ASSERT_TRUE(d.ok);
        EXPECT_TRUE(d.channels == 1 || d.channels == 2);
        EXPECT_EQ(d.rate, 44100);
        EXPECT_EQ(static_cast<long>(d.decodedFrames()), d.frames);
        // Audible, and not clipped.
        int peak = 0;
        for (short s : d.pcm)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GT(peak, 32768 * 0.4);
        EXPECT_LT(peak, 32767);
    }
}

TEST_F(SoundSynthTest, EffectsAreShortAndEndInSilence)
{
    for (const char* name : kEffects) {
        SCOPED_TRACE(name);
        const Decoded& d = sound(name);
        EXPECT_LE(d.frames, 3 * 44100);
        // The last 5 ms are near silent: no click when the source stops.
        const size_t n = d.decodedFrames();
        int tail = 0;
        for (size_t i = n - 220; i < n; ++i)
            for (int c = 0; c < d.channels; ++c)
                tail = std::max(tail, std::abs(static_cast<int>(d.at(i, c))));
        EXPECT_LT(tail, 1200);
    }
}

// Largest step between neighbouring frames within `span` frames of the loop's seam, not
// counting the seam itself.
int stepsNearSeam(const Decoded& d, size_t span)
{
    const size_t n = d.decodedFrames();
    int largest = 0;
    for (int c = 0; c < d.channels; ++c)
        for (size_t k = 1; k < span; ++k) {
            largest = std::max(largest, std::abs(d.at(k, c) - d.at(k - 1, c)));
            largest = std::max(largest, std::abs(d.at(n - k, c) - d.at(n - k - 1, c)));
        }
    return largest;
}

TEST_F(SoundSynthTest, LoopsJoinWithoutAJump)
{
    for (const char* name : kLoops) {
        SCOPED_TRACE(name);
        const Decoded& d = sound(name);
        const size_t n = d.decodedFrames();
        int seam = 0;
        for (int c = 0; c < d.channels; ++c)
            seam = std::max(seam, std::abs(d.at(0, c) - d.at(n - 1, c)));
        EXPECT_LE(seam, 2 * stepsNearSeam(d, 64) + 64);
    }
}

// The menu music wraps where it starts: across the seam the second difference (a jump in value
// or slope) stays within what the music's own samples do around it.
TEST_F(SoundSynthTest, MenuLoopsKeepValueAndSlopeAcrossTheSeam)
{
    for (const char* name : {"tsdnb_melody_loop.ogg", "tsdnb_drums.ogg"}) {
        const Decoded& d = sound(name);
        const long n = static_cast<long>(d.decodedFrames());
        for (int c = 0; c < d.channels; ++c) {
            const auto at = [&](long i) { return static_cast<double>(d.at(static_cast<size_t>((i % n + n) % n), c)); };
            const auto bend = [&](long i) { return at(i) - 2.0 * at(i - 1) + at(i - 2); };
            double sum = 0.0;
            int count = 0;
            for (long k = -256; k < 256; ++k)
                if (k != 0 && k != 1) {
                    sum += bend(k) * bend(k);
                    ++count;
                }
            const double around = std::sqrt(sum / count);
            EXPECT_LE(std::fabs(bend(0)), 2.0 * around) << name << " channel " << c;
            EXPECT_LE(std::fabs(bend(1)), 2.0 * around) << name << " channel " << c;
        }
    }
}

TEST_F(SoundSynthTest, MusicPairHasOneLengthAndLayout)
{
    const Decoded& melody = sound("tsdnb_melody_loop.ogg");
    const Decoded& drums = sound("tsdnb_drums.ogg");
    EXPECT_EQ(melody.frames, drums.frames);
    EXPECT_EQ(melody.rate, drums.rate);
    EXPECT_EQ(melody.channels, drums.channels);
    // Eight bars at 168 beats a minute.
    EXPECT_EQ(melody.frames, 32 * 44100 * 60 / 168);
}

TEST_F(SoundSynthTest, SameBytesEveryBuild)
{
    std::vector<PackAsset> again;
    generateSounds(again);
    ASSERT_EQ(again.size(), assets.size());
    for (size_t i = 0; i < assets.size(); ++i) {
        EXPECT_EQ(again[i].name, assets[i].name);
        EXPECT_TRUE(again[i].data == assets[i].data) << assets[i].name << " differs between runs";
    }
}

TEST(OggEncode, KeepsTheExactLengthAndTheSerial)
{
    std::vector<float> tone(12345);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = 0.5f * static_cast<float>(std::sin(2.0 * 3.14159265358979 * 440.0 * i / 22050.0));
    const std::vector<unsigned char> ogg = encodeOggVorbis(tone, 1, 22050, 0.3f, 0x1234);
    const Decoded d = decode(ogg);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.frames, 12345);
    EXPECT_EQ(d.rate, 22050);
    // The serial sits at bytes 14..17 of every page header.
    ASSERT_GT(ogg.size(), 18u);
    EXPECT_EQ(ogg[14] | ogg[15] << 8 | ogg[16] << 16 | ogg[17] << 24, 0x1234);

    const std::vector<unsigned char> empty = encodeOggVorbis({}, 2, 44100, 0.3f, 1);
    EXPECT_TRUE(decode(empty).ok);
    EXPECT_THROW(encodeOggVorbis({0.0f, 0.0f, 0.0f}, 2, 44100, 0.3f, 1), std::invalid_argument);
}

}  // namespace
