// The block-wise static Huffman + sliding dictionary coder shared by LZH -lh4- to -lh7-,
// -lhx- and ARJ methods 1 to 3.
#ifndef TOVIK_CODECS_STATICHUFFMANDECODER_H
#define TOVIK_CODECS_STATICHUFFMANDECODER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

namespace tovik::codecs {

struct StaticHuffmanParams {
    unsigned dictionaryBits;   // history the coder may refer to (13 for -lh5-, 16 for -lh7-)
    unsigned positionCodes;    // most position codes a block may define
    unsigned positionBits;     // bits of the position-code count field
    bool lhark = false;        // LHARK's coder: longer matches and finer position codes
};

StaticHuffmanParams LzhStaticParams(char methodDigit); // '4' '5' '6' '7' 'x'
StaticHuffmanParams ArjStaticParams();
// LHARK's variant, stored under the name "-lh7-".
StaticHuffmanParams LharkParams();

// Decodes exactly originalSize bytes into sink. Corrupt for a table that cannot be built,
// an unassigned code, a copy from before the start, or a stream that ends early; None when
// the entry is complete or the sink asked to stop.
archivers::ReadError DecodeStaticHuffman(InputStream &in, const StaticHuffmanParams &params,
                                         uint64_t originalSize, const archivers::DataSink &sink);

// LZH -lh3-: the earlier static coder with an 8 KiB dictionary: per block, 286 codes whose
// last carries 8 extra bits of match length, and positions as a 7-bit code (read per block
// or a built-in table) followed by 6 plain bits.
archivers::ReadError DecodeLh3(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);

} // namespace tovik::codecs

#endif
