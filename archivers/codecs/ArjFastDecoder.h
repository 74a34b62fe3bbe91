// ARJ method 4: unary-prefixed lengths and distances over a 16 KiB history.
#ifndef TOVIK_CODECS_ARJFASTDECODER_H
#define TOVIK_CODECS_ARJFASTDECODER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

namespace tovik::codecs {

// Corrupt for a copy from before the start or a stream that ends early.
archivers::ReadError DecodeArjFast(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);

} // namespace tovik::codecs

#endif
