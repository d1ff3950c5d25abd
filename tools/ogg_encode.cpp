#include "tools/ogg_encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace {

void appendPage(std::vector<unsigned char>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<unsigned char> encodeOggVorbis(const std::vector<float>& samples, int channels, int rate,
                                           float quality, int serial)
{
    if (channels < 1 || channels > 2 || rate <= 0 || samples.size() % static_cast<size_t>(channels) != 0)
        throw std::invalid_argument("encodeOggVorbis: bad sample layout");

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("encodeOggVorbis: encoder rejected the format");
    }

    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    std::vector<unsigned char> out;
    ogg_page page;
    ogg_packet packet;

    {
        ogg_packet header, headerComment, headerCode;
        vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &headerComment);
        ogg_stream_packetin(&stream, &headerCode);
        // The headers end on their own page, so audio starts on a fresh one.
        while (ogg_stream_flush(&stream, &page) != 0)
            appendPage(out, page);
    }

    const long frames = static_cast<long>(samples.size() / static_cast<size_t>(channels));
    const long chunk = 4096;
    long done = 0;
    bool ended = false;
    while (!ended) {
        long count = std::min(chunk, frames - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[static_cast<size_t>((done + i) * channels + c)];
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);  // end of stream
        }

        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    appendPage(out, page);
                    if (ogg_page_eos(&page))
                        ended = true;
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
