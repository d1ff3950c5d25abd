// Ogg Vorbis encoding of synthesised sounds for the asset pack.
#pragma once
#include <vector>

// Encodes interleaved float samples (-1..1, `channels` of 1 or 2) at `rate` Hz as Ogg Vorbis
// with libvorbisenc's VBR `quality` (-0.1..1). The stream serial number is fixed by the caller
// so the same samples give the same bytes every build. Decoders return exactly the frames given.
std::vector<unsigned char> encodeOggVorbis(const std::vector<float>& samples, int channels, int rate,
                                           float quality, int serial);
