#include "media_writers/wav_writer.h"

#include "media_writers/riff_writer.h"

Bytes BuildWav(const PcmSound& sound)
{
    return RiffList("RIFF", "WAVE",
                    {RiffChunk("fmt ", sound.FormatRecord()),
                     RiffChunk("data", sound.SampleBytes(0, sound.FrameCount()))});
}
