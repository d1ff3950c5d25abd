// Sound effects and music loops over OpenAL. Sounds are Ogg Vorbis files in the pack under
// "sounds\", decoded whole into one buffer the first time they are asked for and kept.
// Every play makes a new source, known to the game by its handle: its slot in the source lists.
#pragma once
#include <AL/al.h>
#include <ogg/os_types.h>

#include <cstddef>
#include <string>
#include <vector>

// The .ogg image the decoder reads from. 0 <= pos <= size after every callback.
struct OggMemoryFile {
    const unsigned char* data;
    int size;
    int pos;
};

// What LoadSoundFile answers when a sound cannot be had (-1 as unsigned).
constexpr ALuint noSoundBuffer = static_cast<ALuint>(-1);

// Decoded sounds, parallel lists that only grow. A name whose file could not be decoded is kept
// with noSoundBuffer, so a broken file is logged once rather than on every play.
extern std::vector<ALuint> soundBuffers;
extern std::vector<std::string> soundBufferNames;

// Live sources, parallel lists indexed by handle. A handle keeps its slot for as long as its
// source plays: slots never shift, a stopped source leaves its slot free (source 0) for a later
// play, and free slots at the end are dropped. Write volumes through setSourceVolume, which
// checks the handle.
extern std::vector<ALuint> soundSources;
extern std::vector<float> sourceVolumes;
extern std::vector<float> sourcePitches;

// The main menu's music loops, -1 when not playing; cleared when their source goes away.
extern int menuMelodySource;
extern int menuDrumsSource;

// Every sound is heard at the listener's position; nothing moves them.
extern float sourcePosition[3];
extern float sourceVelocity[3];
extern float listenerPosition[3];
extern float listenerVelocity[3];
extern float listenerOrientation[6];

// The buffer of the named sound ("tick.ogg"), decoding it on first use; noSoundBuffer when the
// name is empty, missing from the pack, undecodable, or there is no audio device.
ALuint LoadSoundFile(std::string name);
// Plays a sound once; volume 1.0 is full (scaled by the effects setting), pitch 1.0 normal.
// Returns the handle, or -1 when nothing plays.
int PlaySound(std::string name, float volume, float pitch);
// Plays a sound looping; its listed volume is `volume` itself (the fades drive it from there).
int PlaySoundLoop(std::string name, float volume);
// Once a frame: applies every listed volume (times masterGain) and pitch, then CleanupSound.
void UpdateSound();
// Deletes the sources that have stopped and frees their slots.
void CleanupSound();
// Places the listener at the origin, looking down -z with +y up.
void setupListener();
// Deletes every source, then every buffer (a buffer still attached cannot be deleted), and
// empties the lists. Needs the context still current.
void releaseSounds();
// Program exit: releaseSounds, then closes the device through alutExit.
void shutdownSound();

// True when `handle` names a playing slot.
bool isSoundHandleLive(int handle);
// The listed volume of a handle; 0 for a handle that is not live.
float getSourceVolume(int handle);
// Sets the listed volume of a live handle; anything else is ignored.
void setSourceVolume(int handle, float volume);

// libvorbisfile callbacks over an OggMemoryFile.
size_t VorbisRead(void* destination, size_t elementSize, size_t elementCount, void* source);
int VorbisSeek(void* source, ogg_int64_t offset, int origin);
int VorbisClose(void* source);
long VorbisTell(void* source);
