// LZH -lh1-: adaptive Huffman coding of literals and match lengths over a 4 KiB dictionary.
#ifndef TOVIK_CODECS_DYNAMICHUFFMANDECODER_H
#define TOVIK_CODECS_DYNAMICHUFFMANDECODER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

namespace tovik::codecs {

// The dictionary starts filled with spaces, which the coder may refer to. Corrupt when the
// stream ends before originalSize bytes are produced.
archivers::ReadError DecodeDynamicHuffman(InputStream &in, uint64_t originalSize,
                                          const archivers::DataSink &sink);

// LZH -lh2-: adaptive Huffman coding of literals and lengths (the last length code carries 8
// extra bits) and of the upper position bits, whose alphabet grows by one code per 64 bytes
// of output; an 8 KiB dictionary that starts filled with spaces.
archivers::ReadError DecodeLh2(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink);

} // namespace tovik::codecs

#endif
