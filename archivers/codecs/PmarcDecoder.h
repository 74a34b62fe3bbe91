// PMarc's coders. Both code literals as positions in a move-to-front list of byte values.
// -pm2- copies from an 8 KiB history with Huffman tables re-read on a fixed schedule; -pm1-
// alternates runs of literals and copies with fixed codes that widen as the output grows.
#ifndef TOVIK_CODECS_PMARCDECODER_H
#define TOVIK_CODECS_PMARCDECODER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

namespace tovik::codecs {

// Corrupt for a table that cannot be built, a code outside its table, or a stream that
// ends early.
archivers::ReadError DecodePm2(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);
// -pm1- streams may end early and rely on zero bits after their end (as the original
// extractor reads them), so only a copy from before the start or a bad code is Corrupt here;
// the entry's CRC judges the rest.
archivers::ReadError DecodePm1(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);

} // namespace tovik::codecs

#endif
