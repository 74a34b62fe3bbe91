// The two plain sliding-dictionary coders: -lzs- (2 KiB) and -lz5- (4 KiB).
#ifndef TOVIK_CODECS_LARCDECODER_H
#define TOVIK_CODECS_LARCDECODER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

namespace tovik::codecs {

// Both address their dictionary by absolute ring position, and start from a preset ring.
// Corrupt when the stream ends before originalSize bytes are produced.
archivers::ReadError DecodeLzs(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);
archivers::ReadError DecodeLz5(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);

} // namespace tovik::codecs

#endif
