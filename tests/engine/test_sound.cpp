// The sound engine on OpenAL Soft: the null backend for the list rules, the wave-file backend
// (in a child process, since the backend is chosen once per process) for what reaches the output.
#include "engine/asset_format.h"
#include "engine/asset_pack.h"
#include "engine/config.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/memtrack.h"
#include "engine/sound.h"
#include "../temp_folder.h"

#include <AL/alc.h>
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <AL/alut.h>
#include <gtest/gtest.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kBuiltPack = std::string(TS_BINARY_DIR) + "/run/data/assets.ass";

const std::string& tempDir()
{
    // A folder of this process's own, removed when the tests end.
    static TempFolder dir("ts_sound");
    return dir.path;
}

// Writes a pack holding `assets` (name, bytes) the way the builder lays it out.
void writePack(const std::string& path, const std::vector<std::pair<std::string, std::vector<unsigned char>>>& assets)
{
    std::vector<AssetIndexEntry> entries;
    std::vector<std::string> names;
    for (const auto& a : assets)
        names.push_back(a.first);
    int64_t offset = assetIndexLength(names, "test");
    for (const auto& a : assets) {
        AssetIndexEntry e;
        e.name = a.first;
        e.offset = static_cast<int32_t>(offset);
        e.size = static_cast<int32_t>(a.second.size());
        entries.push_back(e);
        offset += e.size;
    }
    std::vector<unsigned char> bytes = encodeAssetIndex(entries, "test");
    for (const auto& a : assets)
        bytes.insert(bytes.end(), a.second.begin(), a.second.end());
    gzFile f = gzopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(gzwrite(f, bytes.data(), static_cast<unsigned>(bytes.size())), static_cast<int>(bytes.size()));
    gzclose(f);
}

// Interleaved 16-bit samples of an .ogg image, decoded through the engine's callbacks.
std::vector<short> decodeOgg(const std::vector<unsigned char>& image, int* channels = nullptr)
{
    OggMemoryFile memory = {image.data(), static_cast<int>(image.size()), 0};
    OggVorbis_File vf;
    const ov_callbacks cb = {VorbisRead, VorbisSeek, VorbisClose, VorbisTell};
    std::vector<short> pcm;
    if (ov_open_callbacks(&memory, &vf, nullptr, 0, cb) != 0)
        return pcm;
    if (channels)
        *channels = ov_info(&vf, -1)->channels;
    char buf[8192];
    int section = 0;
    long got;
    while ((got = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
        const size_t old = pcm.size();
        pcm.resize(old + static_cast<size_t>(got) / 2);
        std::memcpy(&pcm[old], buf, static_cast<size_t>(got));
    }
    ov_clear(&vf);
    return pcm;
}

bool waitUntilStopped(ALuint source, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        ALint state = AL_PLAYING;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool logged(const std::string& text)
{
    for (const std::string& line : consoleLines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

// The built pack's sounds, copied into a small test pack beside damaged ones.
std::vector<unsigned char> tickOgg, beepOgg, loopOgg, massOgg, claims40sOgg;

// Ogg pages carry a CRC of their bytes: a forged field needs a new one.
void resealOggPage(std::vector<unsigned char>& file, size_t page)
{
    const size_t segments = file[page + 26];
    size_t length = 27 + segments;
    for (size_t i = 0; i < segments; ++i)
        length += file[page + 27 + i];
    for (size_t i = 22; i < 26; ++i)
        file[page + i] = 0;
    uint32_t crc = 0;
    for (size_t i = page; i < page + length; ++i) {
        crc ^= static_cast<uint32_t>(file[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    for (size_t i = 0; i < 4; ++i)
        file[page + 22 + i] = static_cast<unsigned char>(crc >> (8 * i));
}

// A sound whose headers claim another sample rate and a length of `frames`: the rate sits in the
// identification header of the first page, the length in the last page's granule position.
std::vector<unsigned char> forgedOgg(const std::vector<unsigned char>& real, uint32_t rate, int64_t frames)
{
    std::vector<unsigned char> file = real;
    const std::string id = "\x01vorbis";
    const size_t at = std::search(file.begin(), file.end(), id.begin(), id.end()) - file.begin();
    for (size_t i = 0; i < 4; ++i)
        file[at + 12 + i] = static_cast<unsigned char>(rate >> (8 * i));
    resealOggPage(file, 0);
    const std::string capture = "OggS";
    const size_t last = std::find_end(file.begin(), file.end(), capture.begin(), capture.end()) - file.begin();
    for (size_t i = 0; i < 8; ++i)
        file[last + 6 + i] = static_cast<unsigned char>(static_cast<uint64_t>(frames) >> (8 * i));
    resealOggPage(file, last);
    return file;
}

class SoundTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        assetPackPath = kBuiltPack;
        readAssetIndex();
        ASSERT_TRUE(readAssetBytes("sounds\\tick.ogg", tickOgg)) << "build the asset_pack target first";
        ASSERT_TRUE(readAssetBytes("sounds\\clockbeep.ogg", beepOgg));
        ASSERT_TRUE(readAssetBytes("sounds\\ethereal2.ogg", loopOgg));
        ASSERT_TRUE(readAssetBytes("sounds\\massincrease.ogg", massOgg));
        claims40sOgg = forgedOgg(massOgg, 44100, 44100 * 40);
        closeAssetPack();

        std::vector<unsigned char> garbage(4000);
        for (size_t i = 0; i < garbage.size(); ++i)
            garbage[i] = static_cast<unsigned char>(i * 131 + 7);
        std::vector<unsigned char> truncated(loopOgg.begin(), loopOgg.begin() + loopOgg.size() / 2);
        // A valid header whose audio pages are wrecked: opens, then yields little or nothing.
        std::vector<unsigned char> wrecked = beepOgg;
        for (size_t i = wrecked.size() / 2; i < wrecked.size(); ++i)
            wrecked[i] ^= 0x5a;

        writePack(tempDir() + "/sounds.ass", {
                                                 {"sounds\\tick.ogg", tickOgg},
                                                 {"sounds\\clockbeep.ogg", beepOgg},
                                                 {"sounds\\ethereal2.ogg", loopOgg},
                                                 {"sounds\\bad.ogg", garbage},
                                                 {"sounds\\truncated.ogg", truncated},
                                                 {"sounds\\wrecked.ogg", wrecked},
                                                 {"sounds\\empty.ogg", {}},
                                                 // 14 KB, 2 s of stereo, claiming 600 s at 192 kHz
                                                 {"sounds\\claims600s.ogg", forgedOgg(massOgg, 192000, 192000 * 600)},
                                                 {"sounds\\claims40s.ogg", claims40sOgg},
                                             });
    }

    void SetUp() override
    {
        assetPackPath = tempDir() + "/sounds.ass";
        readAssetIndex();
        closeAssetPack();
        ASSERT_EQ(alutInit(nullptr, nullptr), AL_TRUE) << "set ALSOFT_DRIVERS=null";
        setupListener();
        soundVol = 10.0f;
        masterGain = 1.0f;
    }

    void TearDown() override { shutdownSound(); }
};

TEST(SoundCallbacks, ReadSeekAndTellStayInsideTheImage)
{
    const unsigned char bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    OggMemoryFile f = {bytes, 10, 0};
    unsigned char out[16] = {};

    EXPECT_EQ(VorbisRead(out, 1, 4, &f), 4u);
    EXPECT_EQ(out[3], 3);
    EXPECT_EQ(VorbisRead(out, 1, 16, &f), 6u);  // only what is left
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(VorbisRead(out, 1, 16, &f), 0u);
    EXPECT_EQ(VorbisTell(&f), 10);

    EXPECT_EQ(VorbisSeek(&f, 3, SEEK_SET), 0);
    EXPECT_EQ(VorbisTell(&f), 3);
    VorbisSeek(&f, 100, SEEK_CUR);
    EXPECT_EQ(VorbisTell(&f), 10);
    VorbisSeek(&f, -4, SEEK_CUR);
    EXPECT_EQ(VorbisTell(&f), 6);
    VorbisSeek(&f, -100, SEEK_CUR);
    EXPECT_EQ(VorbisTell(&f), 0);
    VorbisSeek(&f, -100, SEEK_SET);
    EXPECT_EQ(VorbisTell(&f), 0);
    VorbisSeek(&f, 1000, SEEK_SET);
    EXPECT_EQ(VorbisTell(&f), 10);

    VorbisSeek(&f, 0, SEEK_SET);
    EXPECT_EQ(VorbisSeek(&f, -3, SEEK_END), 0);
    EXPECT_EQ(VorbisTell(&f), 10);  // from the end: the image's size
    VorbisSeek(&f, 2, SEEK_SET);
    EXPECT_EQ(VorbisSeek(&f, 5, 77), 0);
    EXPECT_EQ(VorbisTell(&f), 2);  // unknown origin leaves the position
    EXPECT_EQ(VorbisClose(&f), 1);
}

TEST_F(SoundTest, LoadsOnceAndFillsTheBufferWithTheDecodedSamples)
{
    EXPECT_EQ(LoadSoundFile(""), noSoundBuffer);
    EXPECT_EQ(LoadSoundFile("nothere.ogg"), noSoundBuffer);
    EXPECT_TRUE(soundBufferNames.empty());  // a missing sound is not remembered

    const ALuint tick = LoadSoundFile("tick.ogg");
    ASSERT_NE(tick, noSoundBuffer);
    EXPECT_EQ(LoadSoundFile("tick.ogg"), tick);
    EXPECT_EQ(soundBuffers.size(), 1u);

    int channels = 0;
    const std::vector<short> pcm = decodeOgg(tickOgg, &channels);
    ALint size = 0, bufferChannels = 0, frequency = 0;
    alGetBufferi(tick, AL_SIZE, &size);
    alGetBufferi(tick, AL_CHANNELS, &bufferChannels);
    alGetBufferi(tick, AL_FREQUENCY, &frequency);
    EXPECT_EQ(size, static_cast<ALint>(pcm.size() * 2));
    EXPECT_EQ(bufferChannels, channels);
    EXPECT_EQ(frequency, 44100);
}

TEST_F(SoundTest, BadFilesAreLoggedAndSkippedNotFatal)
{
    consoleLines.clear();
    EXPECT_EQ(LoadSoundFile("bad.ogg"), noSoundBuffer);
    EXPECT_TRUE(logged("Could not read Ogg file from memory: bad.ogg"));
    EXPECT_EQ(PlaySound("bad.ogg", 1.0f, 1.0f), -1);
    // Remembered as broken: no second attempt, no second log line.
    consoleLines.clear();
    EXPECT_EQ(PlaySound("bad.ogg", 1.0f, 1.0f), -1);
    EXPECT_FALSE(logged("Could not read Ogg"));

    EXPECT_EQ(LoadSoundFile("empty.ogg"), noSoundBuffer);

    // A cut-off file plays what it holds; only decoded frames reach the buffer.
    const ALuint cut = LoadSoundFile("truncated.ogg");
    ASSERT_NE(cut, noSoundBuffer);
    ALint cutSize = 0;
    alGetBufferi(cut, AL_SIZE, &cutSize);
    const ALint fullSize = static_cast<ALint>(decodeOgg(loopOgg).size() * 2);
    EXPECT_GT(cutSize, 0);
    EXPECT_LT(cutSize, fullSize);
    EXPECT_EQ(cutSize % 4, 0);  // whole stereo frames
    std::vector<unsigned char> cutBytes(loopOgg.begin(), loopOgg.begin() + loopOgg.size() / 2);
    EXPECT_EQ(cutSize, static_cast<ALint>(decodeOgg(cutBytes).size() * 2));

    // Damaged audio pages: whatever happens, nothing stale is handed over and play goes on.
    const ALuint wrecked = LoadSoundFile("wrecked.ogg");
    if (wrecked != noSoundBuffer) {
        ALint wreckedSize = 0;
        alGetBufferi(wrecked, AL_SIZE, &wreckedSize);
        EXPECT_GT(wreckedSize, 0);
        EXPECT_LE(wreckedSize, static_cast<ALint>(decodeOgg(beepOgg).size() * 2));
    }
    EXPECT_GE(PlaySound("tick.ogg", 1.0f, 1.0f), 0);
}

// A length beyond the cap is refused before anything is sized by it; one within the cap is
// believed only as far as the file's own size backs it, the rest as the samples arrive. A
// sample buffer that cannot be had fails that sound only.
TEST_F(SoundTest, ForgedLengthsNeverSizeTheSampleBuffer)
{
    struct RestoreLimit {
        ~RestoreLimit() { trackedBlockLimit = SIZE_MAX; }
    } restore;
    trackedBlockLimit = 1 << 20;
    consoleLines.clear();
    EXPECT_EQ(LoadSoundFile("claims600s.ogg"), noSoundBuffer);
    EXPECT_TRUE(logged("Sound length out of range in claims600s.ogg"));

    const ALuint claims40s = LoadSoundFile("claims40s.ogg");
    ASSERT_NE(claims40s, noSoundBuffer);
    ALint size = 0;
    alGetBufferi(claims40s, AL_SIZE, &size);
    EXPECT_EQ(size, static_cast<ALint>(decodeOgg(claims40sOgg).size() * 2));

    trackedBlockLimit = 1000;
    EXPECT_EQ(LoadSoundFile("ethereal2.ogg"), noSoundBuffer);
    EXPECT_TRUE(logged("Out of memory decoding ethereal2.ogg"));
}

// The cap leaves room for every sound the game ships, the two menu loops (the longest) included.
TEST_F(SoundTest, EveryShippedSoundDecodesUnderTheCap)
{
    assetPackPath = kBuiltPack;
    readAssetIndex();
    closeAssetPack();
    int sounds = 0;
    for (const AssetIndexEntry& entry : std::vector<AssetIndexEntry>(assetIndex)) {
        if (entry.name.rfind("sounds\\", 0) != 0)
            continue;
        ++sounds;
        EXPECT_NE(LoadSoundFile(entry.name.substr(7)), noSoundBuffer) << entry.name;
    }
    EXPECT_GE(sounds, 17);
}

TEST_F(SoundTest, PlaysGiveHandlesWithTheirVolumesAndPitches)
{
    // The beeps last 0.13 s: with the mixer running, a slow machine ends them (and the updates
    // below free their slots) before they are looked at. Paused, they play for as long as needed.
    alcDevicePauseSOFT(alcGetContextsDevice(alcGetCurrentContext()));
    soundVol = 5.0f;
    const int a = PlaySound("clockbeep.ogg", 0.8f, 1.2f);
    const int b = PlaySound("clockbeep.ogg", 0.8f, 1.0f);
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    EXPECT_NE(soundSources[0], soundSources[1]);
    EXPECT_EQ(soundBuffers.size(), 1u);  // the second play reuses the buffer
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.4f);
    EXPECT_FLOAT_EQ(sourcePitches[0], 1.2f);

    const int loop = PlaySoundLoop("ethereal2.ogg", 0.3f);
    ASSERT_EQ(loop, 2);
    EXPECT_FLOAT_EQ(sourceVolumes[2], 0.3f);  // listed as given, not scaled
    ALfloat gain = 0;
    ALint looping = 0;
    alGetSourcef(soundSources[2], AL_GAIN, &gain);
    alGetSourcei(soundSources[2], AL_LOOPING, &looping);
    EXPECT_FLOAT_EQ(gain, 0.15f);  // the first gain is scaled by the setting
    EXPECT_EQ(looping, AL_TRUE);

    UpdateSound();
    alGetSourcef(soundSources[2], AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.3f);

    // An inactive window silences everything; the next active frame restores the list.
    masterGain = 0.0f;
    UpdateSound();
    for (ALuint s : soundSources) {
        alGetSourcef(s, AL_GAIN, &gain);
        EXPECT_EQ(gain, 0.0f);
    }
    masterGain = 1.0f;
    UpdateSound();
    alGetSourcef(soundSources[0], AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.4f);
    ALfloat pitch = 0;
    alGetSourcef(soundSources[0], AL_PITCH, &pitch);
    EXPECT_FLOAT_EQ(pitch, 1.2f);
}

TEST_F(SoundTest, HandlesStayValidWhenEarlierSourcesEnd)
{
    const int first = PlaySound("tick.ogg", 1.0f, 1.0f);
    const int second = PlaySound("tick.ogg", 1.0f, 1.0f);
    menuMelodySource = PlaySoundLoop("ethereal2.ogg", 0.0f);
    menuDrumsSource = PlaySoundLoop("ethereal2.ogg", 0.0f);
    const int held = PlaySoundLoop("ethereal2.ogg", 0.0f);  // as the game holds its other loops
    ASSERT_EQ(first, 0);
    ASSERT_EQ(second, 1);
    ASSERT_EQ(held, 4);
    const ALuint melody = soundSources[2], drums = soundSources[3], heldSource = soundSources[4];

    ASSERT_TRUE(waitUntilStopped(soundSources[0], 3000));
    ASSERT_TRUE(waitUntilStopped(soundSources[1], 3000));
    setSourceVolume(held, 0.25f);
    UpdateSound();  // both finished ticks go in one pass

    EXPECT_FALSE(isSoundHandleLive(first));
    EXPECT_FALSE(isSoundHandleLive(second));
    EXPECT_EQ(menuMelodySource, 2);
    EXPECT_EQ(menuDrumsSource, 3);
    EXPECT_EQ(soundSources[2], melody);
    EXPECT_EQ(soundSources[3], drums);
    EXPECT_EQ(soundSources[4], heldSource);
    ALfloat gain = 0;
    alGetSourcef(heldSource, AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.25f);

    // A new play takes a freed slot and leaves the held ones alone.
    EXPECT_EQ(PlaySound("tick.ogg", 1.0f, 1.0f), 0);
    EXPECT_EQ(soundSources[4], heldSource);

    // Writes through a handle that is not live are ignored, also far out of range.
    setSourceVolume(-1, 1.0f);
    setSourceVolume(1, 1.0f);
    setSourceVolume(1000, 1.0f);
    EXPECT_EQ(getSourceVolume(1000), 0.0f);
    EXPECT_EQ(getSourceVolume(1), 0.0f);

    // Removing the melody clears its handle and keeps the drums pointing at the drums.
    alSourceStop(melody);
    UpdateSound();
    EXPECT_EQ(menuMelodySource, -1);
    EXPECT_EQ(menuDrumsSource, 3);
    EXPECT_EQ(soundSources[3], drums);
}

TEST_F(SoundTest, RunningOutOfSourcesFailsThePlayOnly)
{
    std::vector<int> handles;
    int failed = 0;
    for (int i = 0; i < 400; ++i) {
        const int h = PlaySoundLoop("clockbeep.ogg", 0.0f);
        if (h < 0)
            ++failed;
        else
            handles.push_back(h);
    }
    EXPECT_GT(failed, 0) << "the device allowed 400 sources; raise the count";
    EXPECT_GT(handles.size(), 0u);
    for (size_t i = 0; i < handles.size(); ++i)
        EXPECT_EQ(handles[i], static_cast<int>(i));
    UpdateSound();
    EXPECT_EQ(soundSources.size(), handles.size());
}

TEST_F(SoundTest, ReleaseDeletesSourcesBeforeTheirBuffers)
{
    PlaySoundLoop("ethereal2.ogg", 1.0f);
    PlaySound("tick.ogg", 1.0f, 1.0f);
    menuMelodySource = 0;
    const std::vector<ALuint> buffers = soundBuffers;
    alGetError();
    releaseSounds();
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
    for (ALuint b : buffers)
        EXPECT_FALSE(alIsBuffer(b)) << "a buffer still attached to a source was not deleted";
    EXPECT_TRUE(soundSources.empty());
    EXPECT_TRUE(soundBuffers.empty());
    EXPECT_EQ(menuMelodySource, -1);
}

TEST(SoundWithoutDevice, EverythingIsSilentAndHarmless)
{
    ASSERT_EQ(alcGetCurrentContext(), nullptr);
    assetPackPath = tempDir() + "/sounds.ass";
    readAssetIndex();
    closeAssetPack();
    setupListener();
    EXPECT_EQ(LoadSoundFile("tick.ogg"), noSoundBuffer);
    EXPECT_EQ(PlaySound("tick.ogg", 1.0f, 1.0f), -1);
    EXPECT_EQ(PlaySoundLoop("ethereal2.ogg", 0.0f), -1);
    UpdateSound();
    CleanupSound();
    setSourceVolume(menuMelodySource, 1.0f);
    EXPECT_TRUE(soundSources.empty());
    shutdownSound();
}

// --- The wave-file backend ------------------------------------------------------------------

struct Wave {
    int channels = 0, rate = 0;
    std::vector<short> samples;
};

bool readWave(const std::string& path, Wave& wave)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0)
        return false;
    size_t p = 12;
    int bits = 0;
    while (p + 8 <= b.size()) {
        const uint32_t len = b[p + 4] | b[p + 5] << 8 | b[p + 6] << 16 | static_cast<uint32_t>(b[p + 7]) << 24;
        const size_t body = p + 8;
        if (std::memcmp(&b[p], "fmt ", 4) == 0 && body + 16 <= b.size()) {
            wave.channels = b[body + 2] | b[body + 3] << 8;
            wave.rate = b[body + 4] | b[body + 5] << 8 | b[body + 6] << 16;
            bits = b[body + 14];
        } else if (std::memcmp(&b[p], "data", 4) == 0) {
            const size_t end = std::min(b.size(), body + len);
            wave.samples.resize((end - body) / 2);
            std::memcpy(wave.samples.data(), &b[body], wave.samples.size() * 2);
            return bits == 16 && wave.channels > 0;
        }
        p = body + len + (len & 1);
    }
    return false;
}

// The child half: plays the beep at full volume, then at half, into the wave file.
TEST(SoundWaveOutput, ChildRender)
{
    if (!std::getenv("TS_SOUND_WAVE_CHILD"))
        GTEST_SKIP() << "runs inside PlayedSoundReachesTheOutputAtItsVolume";
    assetPackPath = std::getenv("TS_SOUND_WAVE_PACK");
    readAssetIndex();
    closeAssetPack();
    ASSERT_EQ(alutInit(nullptr, nullptr), AL_TRUE);
    setupListener();
    soundVol = 10.0f;
    masterGain = 1.0f;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(PlaySound("clockbeep.ogg", 1.0f, 1.0f), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    UpdateSound();
    soundVol = 5.0f;  // half the effects setting: the second beep must come out at half
    ASSERT_EQ(PlaySound("clockbeep.ogg", 1.0f, 1.0f), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    UpdateSound();
    shutdownSound();  // closing the device finishes the file
}

TEST(SoundWaveOutput, PlayedSoundReachesTheOutputAtItsVolume)
{
    if (std::getenv("TS_SOUND_WAVE_CHILD"))
        GTEST_SKIP();
    const std::string dir = tempDir();
    const std::string wavePath = dir + "/out.wav";
    const std::string confPath = dir + "/alsoft.conf";
    {
        std::ofstream conf(confPath);
        conf << "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
                "output-limiter = false\ndither = false\n[wave]\nfile = "
             << wavePath << "\n";
    }
    std::remove(wavePath.c_str());
    {
        // The beep out of the built pack, in a pack of its own.
        std::vector<unsigned char> beep;
        assetPackPath = kBuiltPack;
        readAssetIndex();
        ASSERT_TRUE(readAssetBytes("sounds\\clockbeep.ogg", beep));
        closeAssetPack();
        writePack(dir + "/wave.ass", {{"sounds\\clockbeep.ogg", beep}});
        beepOgg = beep;
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "ALSOFT_CONF='" + confPath + "' ALSOFT_DRIVERS=wave TS_SOUND_WAVE_CHILD=1 "
                                "TS_SOUND_WAVE_PACK='" + dir + "/wave.ass' '" + self + "' --gtest_filter=SoundWaveOutput.ChildRender > '" + dir + "/child.log' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "see " << dir << "/child.log";

    Wave wave;
    ASSERT_TRUE(readWave(wavePath, wave)) << "no wave output at " << wavePath;
    ASSERT_EQ(wave.channels, 2);
    ASSERT_EQ(wave.rate, 44100);

    // Find the two beeps: runs of loud samples, split by a gap of quiet.
    const size_t frames = wave.samples.size() / 2;
    std::vector<std::pair<size_t, size_t>> bursts;  // first, last frame
    size_t quiet = 0;
    for (size_t i = 0; i < frames; ++i) {
        const int v = std::max(std::abs(wave.samples[2 * i]), std::abs(wave.samples[2 * i + 1]));
        if (v > 300) {
            if (bursts.empty() || quiet > 4410)
                bursts.push_back({i, i});
            bursts.back().second = i;
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    ASSERT_EQ(bursts.size(), 2u) << "expected two beeps in the output";

    auto peakOf = [&](std::pair<size_t, size_t> burst) {
        int peak = 0;
        for (size_t i = burst.first; i <= burst.second; ++i)
            peak = std::max(peak, static_cast<int>(std::abs(wave.samples[2 * i])));
        return peak;
    };
    auto crossingsPerSecond = [&](std::pair<size_t, size_t> burst) {
        int crossings = 0;
        for (size_t i = burst.first + 1; i <= burst.second; ++i)
            if ((wave.samples[2 * i - 2] < 0) != (wave.samples[2 * i] < 0))
                ++crossings;
        return crossings * 44100.0 / static_cast<double>(burst.second - burst.first + 1);
    };

    // It is the beep: about its length and its pitch (1318.5 Hz, two crossings a cycle).
    const std::vector<short> source = decodeOgg(beepOgg);
    const double sourceSeconds = static_cast<double>(source.size()) / 44100.0;
    const double burstSeconds = static_cast<double>(bursts[0].second - bursts[0].first) / 44100.0;
    EXPECT_NEAR(burstSeconds, sourceSeconds, 0.06);
    EXPECT_NEAR(crossingsPerSecond(bursts[0]), 2 * 1318.5, 2 * 1318.5 * 0.05);

    // At its volume: the first near the source's own level, the second at half of it.
    int sourcePeak = 0;
    for (short s : source)
        sourcePeak = std::max(sourcePeak, static_cast<int>(std::abs(s)));
    const int full = peakOf(bursts[0]);
    const int half = peakOf(bursts[1]);
    EXPECT_GT(full, sourcePeak * 0.5);
    EXPECT_LT(full, sourcePeak * 1.05);
    EXPECT_NEAR(static_cast<double>(half) / full, 0.5, 0.05);
}

}  // namespace
