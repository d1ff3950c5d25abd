#include "engine/sound.h"

#include "engine/asset_pack.h"
#include "engine/config.h"
#include "engine/draw_recorder.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/memtrack.h"
#include "engine/profiler.h"

#include <AL/alc.h>
#include <AL/alut.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

std::vector<ALuint> soundBuffers;
std::vector<std::string> soundBufferNames;
std::vector<ALuint> soundSources;
std::vector<float> sourceVolumes;
std::vector<float> sourcePitches;

int menuMelodySource = -1;
int menuDrumsSource = -1;

float sourcePosition[3] = {0.0f, 0.0f, 0.0f};
float sourceVelocity[3] = {0.0f, 0.0f, 0.0f};
float listenerPosition[3] = {0.0f, 0.0f, 0.0f};
float listenerVelocity[3] = {0.0f, 0.0f, 0.0f};
float listenerOrientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};

namespace {

// The decoded size of the longest sound we accept. The game's longest, the two menu loops, are
// 11.4 s of 44.1 kHz stereo (2,016,000 bytes); 8 MiB leaves four times that. A file claiming more
// has a damaged length, and is refused before anything is allocated for it.
constexpr int maxSoundBytes = 8 << 20;
constexpr long maxSampleRate = 192000;
// Compressed, a sound is smaller than its samples (its headers aside): a bigger file is damage.
constexpr int maxSoundFileBytes = maxSoundBytes;
// The first sample buffer is sized by the file, not by the length it claims: our sounds decode
// to at most about 30 bytes per compressed byte. A longer sound grows the buffer as it decodes.
constexpr int maxBytesPerCompressedByte = 64;

// Set after a source could not be created, so a device at its limit logs once, not every play.
bool sourceLimitLogged = false;

bool haveAudioDevice() { return alcGetCurrentContext() != nullptr; }

// Decodes an .ogg image into a new OpenAL buffer; noSoundBuffer (after a log line) on failure.
ALuint decodeOggImage(const unsigned char* image, int size, const std::string& name)
{
    OggMemoryFile memory = {image, size, 0};
    OggVorbis_File vorbis;
    const ov_callbacks callbacks = {VorbisRead, VorbisSeek, VorbisClose, VorbisTell};
    // On failure ov_open_callbacks releases its own state; there is nothing to clear.
    if (ov_open_callbacks(&memory, &vorbis, nullptr, 0, callbacks) != 0) {
        logMessage("Could not read Ogg file from memory: " + name);
        return noSoundBuffer;
    }

    const vorbis_info* info = ov_info(&vorbis, -1);
    const int channels = info ? info->channels : 0;
    const long rate = info ? info->rate : 0;
    if (channels < 1 || channels > 2 || rate <= 0 || rate > maxSampleRate) {
        logMessage("Unsupported sound format in " + name);
        ov_clear(&vorbis);
        return noSoundBuffer;
    }

    // The whole length in bytes, checked against the cap before anything is sized by it.
    const ogg_int64_t frames = ov_pcm_total(&vorbis, -1);
    const int frameBytes = channels * 2;
    if (frames <= 0 || frames > maxSoundBytes / frameBytes) {
        logMessage("Sound length out of range in " + name);
        ov_clear(&vorbis);
        return noSoundBuffer;
    }
    const int expected = static_cast<int>(frames) * frameBytes;

    // A length that the file's size cannot back is only believed as the samples arrive.
    const long long backed = static_cast<long long>(size) * maxBytesPerCompressedByte;
    int capacity = static_cast<int>(std::min<long long>(expected, std::max<long long>(backed, 1 << 16)));
    char* samples = TS_ALLOC(char, capacity);
    int filled = 0;
    bool outOfMemory = !samples;
    while (samples && filled < expected) {
        if (filled == capacity) {
            const int grown = static_cast<int>(std::min<long long>(expected, 2LL * capacity));
            char* larger = TS_REALLOC(char, samples, grown);
            if (!larger) {
                outOfMemory = true;
                break;
            }
            samples = larger;
            capacity = grown;
        }
        int section = 0;
        const long got = ov_read(&vorbis, samples + filled, capacity - filled, 0, 2, 1, &section);
        if (got <= 0)
            break;
        // A chained stream that changes its layout cannot go into one buffer.
        const vorbis_info* sectionInfo = ov_info(&vorbis, section);
        if (!sectionInfo || sectionInfo->channels != channels)
            break;
        filled += static_cast<int>(got);
    }
    if (outOfMemory) {
        logMessage("Out of memory decoding " + name);
        ov_clear(&vorbis);
        TS_FREE(samples);
        return noSoundBuffer;
    }
    ov_clear(&vorbis);
    // Only whole decoded frames reach OpenAL; a damaged stream plays what it held.
    filled -= filled % frameBytes;
    if (filled == 0) {
        logMessage("No samples decoded from " + name);
        TS_FREE(samples);
        return noSoundBuffer;
    }

    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) {
        logMessage("Could not create a sound buffer for " + name);
        TS_FREE(samples);
        return noSoundBuffer;
    }
    alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, samples, filled,
                 static_cast<ALsizei>(rate));
    TS_FREE(samples);
    if (alGetError() != AL_NO_ERROR) {
        logMessage("Could not fill the sound buffer for " + name);
        alDeleteBuffers(1, &buffer);
        return noSoundBuffer;
    }
    return buffer;
}

// The slot a new source takes: the first free one, else a new one at the end.
int takeSourceSlot()
{
    for (size_t i = 0; i < soundSources.size(); ++i)
        if (soundSources[i] == 0)
            return static_cast<int>(i);
    soundSources.push_back(0);
    sourceVolumes.push_back(0.0f);
    sourcePitches.push_back(1.0f);
    return static_cast<int>(soundSources.size() - 1);
}

// Starts a source on the named sound; the handle or -1.
int startSource(const std::string& name, float volume, float pitch, bool loop)
{
    const ALuint buffer = LoadSoundFile(name);
    if (buffer == noSoundBuffer)
        return -1;

    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR || source == 0) {
        if (!sourceLimitLogged)
            logMessage("Could not create a sound source for " + name);
        sourceLimitLogged = true;
        return -1;
    }
    sourceLimitLogged = false;
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source);
        return -1;
    }

    const float gain = std::max(0.0f, volume * soundVol / 10.0f);
    alSourcef(source, AL_PITCH, pitch);
    alSourcef(source, AL_GAIN, gain);
    alSourcefv(source, AL_POSITION, sourcePosition);
    alSourcefv(source, AL_VELOCITY, sourceVelocity);
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);

    const int slot = takeSourceSlot();
    soundSources[static_cast<size_t>(slot)] = source;
    // A loop lists its volume as given: the fades drive it, UpdateSound applies it.
    sourceVolumes[static_cast<size_t>(slot)] = loop ? volume : volume * soundVol / 10.0f;
    sourcePitches[static_cast<size_t>(slot)] = pitch;
    alSourcePlay(source);
    return slot;
}

}  // namespace

size_t VorbisRead(void* destination, size_t elementSize, size_t elementCount, void* source)
{
    PROFILE_SCOPE("VorbisRead");
    OggMemoryFile* file = static_cast<OggMemoryFile*>(source);
    const size_t left = static_cast<size_t>(file->size - file->pos);
    // The decoder reads with element size 1, so bytes and elements agree.
    const size_t n = std::min(elementSize * elementCount, left);
    if (n > 0)
        std::memcpy(destination, file->data + file->pos, n);
    file->pos += static_cast<int>(n);
    return n;
}

int VorbisSeek(void* source, ogg_int64_t offset, int origin)
{
    PROFILE_SCOPE("VorbisSeek");
    OggMemoryFile* file = static_cast<OggMemoryFile*>(source);
    // Positions are clamped to the image so a wild offset never moves outside it.
    switch (origin) {
    case SEEK_SET:
        file->pos = static_cast<int>(std::clamp<ogg_int64_t>(offset, 0, file->size));
        break;
    case SEEK_CUR:
        file->pos = static_cast<int>(std::clamp<ogg_int64_t>(file->pos + offset, 0, file->size));
        break;
    case SEEK_END:
        file->pos = file->size;
        break;
    default:
        std::printf("*** ERROR *** Unknown seek command in VorbisSeek\n");
        break;
    }
    return 0;
}

int VorbisClose(void*)
{
    return 1;  // the loader owns the image
}

long VorbisTell(void* source)
{
    return static_cast<OggMemoryFile*>(source)->pos;
}

ALuint LoadSoundFile(std::string name)
{
    PROFILE_SCOPE("LoadSoundFile");
    if (name.empty())
        return noSoundBuffer;
    for (size_t i = 0; i < soundBufferNames.size(); ++i)
        if (soundBufferNames[i] == name)
            return soundBuffers[i];
    if (!haveAudioDevice())
        return noSoundBuffer;

    const std::string path = "sounds\\" + name;
    const AssetLocation at = lookUpAsset(path);
    if (at.offset == -1)
        return noSoundBuffer;  // not remembered: the next request looks again

    ALuint buffer = noSoundBuffer;
    if (at.offset < 0 || at.size <= 0 || at.size > maxSoundFileBytes) {
        logMessage("Sound file size out of range: " + name);
    } else {
        std::vector<unsigned char> image;
        if (!readPackBytes(at.offset, at.size, image)) {
            // The pack itself failed: not remembered, as with a missing entry.
            logMessage("Could not read " + path + " from the asset pack");
            return noSoundBuffer;
        }
        buffer = decodeOggImage(image.data(), static_cast<int>(image.size()), name);
    }
    soundBuffers.push_back(buffer);
    soundBufferNames.push_back(name);
    return buffer;
}

int PlaySound(std::string name, float volume, float pitch)
{
    PROFILE_SCOPE("PlaySoundA");
    if (drawRecorder) {
        DrawCall call;
        call.op = DrawOp::Sound;
        call.text = name;
        call.alpha = volume;
        call.scale = pitch;
        recordDraw(call);
        return -1;
    }
    return startSource(name, volume, pitch, false);
}

int PlaySoundLoop(std::string name, float volume)
{
    PROFILE_SCOPE("PlaySoundLoop");
    return startSource(name, volume, 1.0f, true);
}

void UpdateSound()
{
    PROFILE_SCOPE("UpdateSound");
    for (size_t i = 0; i < soundSources.size(); ++i) {
        if (soundSources[i] == 0)
            continue;
        alSourcef(soundSources[i], AL_GAIN, std::max(0.0f, sourceVolumes[i] * masterGain));
        alSourcef(soundSources[i], AL_PITCH, sourcePitches[i]);
    }
    CleanupSound();
}

void CleanupSound()
{
    for (size_t i = 0; i < soundSources.size(); ++i) {
        if (soundSources[i] == 0)
            continue;
        ALint state = AL_STOPPED;
        alGetSourcei(soundSources[i], AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING)
            continue;
        alDeleteSources(1, &soundSources[i]);
        soundSources[i] = 0;
        sourceVolumes[i] = 0.0f;
        sourcePitches[i] = 1.0f;
        const int handle = static_cast<int>(i);
        if (menuMelodySource == handle)
            menuMelodySource = -1;
        if (menuDrumsSource == handle)
            menuDrumsSource = -1;
    }
    // Free slots at the end hold nothing anyone can still refer to.
    while (!soundSources.empty() && soundSources.back() == 0) {
        soundSources.pop_back();
        sourceVolumes.pop_back();
        sourcePitches.pop_back();
    }
}

void setupListener()
{
    alListenerfv(AL_POSITION, listenerPosition);
    alListenerfv(AL_VELOCITY, listenerVelocity);
    alListenerfv(AL_ORIENTATION, listenerOrientation);
}

void releaseSounds()
{
    if (haveAudioDevice()) {
        for (ALuint& source : soundSources)
            if (source != 0) {
                alSourceStop(source);
                alDeleteSources(1, &source);
            }
        for (ALuint& buffer : soundBuffers)
            if (buffer != noSoundBuffer)
                alDeleteBuffers(1, &buffer);
    }
    soundSources.clear();
    sourceVolumes.clear();
    sourcePitches.clear();
    soundBuffers.clear();
    soundBufferNames.clear();
    menuMelodySource = -1;
    menuDrumsSource = -1;
}

void shutdownSound()
{
    releaseSounds();
    alutExit();
}

bool isSoundHandleLive(int handle)
{
    return handle >= 0 && static_cast<size_t>(handle) < soundSources.size() &&
           soundSources[static_cast<size_t>(handle)] != 0;
}

float getSourceVolume(int handle)
{
    return isSoundHandleLive(handle) ? sourceVolumes[static_cast<size_t>(handle)] : 0.0f;
}

void setSourceVolume(int handle, float volume)
{
    if (isSoundHandleLive(handle))
        sourceVolumes[static_cast<size_t>(handle)] = volume;
}
