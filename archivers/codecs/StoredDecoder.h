// Entries stored without compression.
#ifndef TOVIK_CODECS_STOREDDECODER_H
#define TOVIK_CODECS_STOREDDECODER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

namespace tovik::codecs {

// Passes originalSize bytes through; Corrupt when the stream holds fewer.
archivers::ReadError CopyStored(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);

} // namespace tovik::codecs

#endif
