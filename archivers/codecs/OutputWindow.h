// The history window of the sliding-dictionary decoders, which is also their output buffer.
#ifndef TOVIK_CODECS_OUTPUTWINDOW_H
#define TOVIK_CODECS_OUTPUTWINDOW_H

#include "archivers/common/ArchiveReader.h"

#include <cstdint>
#include <memory>

namespace tovik::codecs {

using archivers::DataSink;

// Decoded bytes go into a power-of-two ring at least twice the dictionary; each time the
// ring fills, its contents go to the sink in one piece. The window stops taking bytes once
// limit bytes (the entry's original size) have been produced, or once the sink has refused
// data, so a hostile length can never write past the entry.
class OutputWindow {
public:
    OutputWindow(unsigned dictionaryBits, uint64_t limit, const DataSink &sink);

    // True when nothing more should be decoded: the entry is complete or the sink stopped.
    bool done() const { return total_ >= limit_ || stopped_; }
    bool stopped() const { return stopped_; }
    uint64_t total() const { return total_; }

    // Appends one byte. Only called while !done().
    void put(uint8_t b)
    {
        buf_[pos_++] = b;
        ++total_;
        if (pos_ == size_)
            flush();
    }

    // Appends length bytes copied from distance bytes back (1 = the last byte written), cut
    // at the entry's end. Answers false when the source lies before the start of the data
    // (or outside the dictionary) and history before the start is not allowed.
    bool copy(uint32_t distance, uint32_t length)
    {
        if (distance > dictionary_ || (distance > total_ && !presetHistory_))
            return false;
        uint64_t left = limit_ - total_;
        if (length > left)
            length = static_cast<uint32_t>(left);
        std::size_t src = (pos_ - distance) & mask_;
        if (pos_ + length < size_ && src + length < size_) {
            uint8_t *d = buf_.get() + pos_;
            const uint8_t *s = buf_.get() + src;
            if (distance == 1) {
                __builtin_memset(d, s[0], length); // a run of one byte
            } else if (distance >= 8 && length >= 8) {
                // Non-overlapping in 8-byte steps: the common long match.
                std::size_t i = 0;
                for (; i + 8 <= length; i += 8)
                    __builtin_memcpy(d + i, s + i, 8);
                for (; i < length; ++i)
                    d[i] = s[i];
            } else {
                for (uint32_t i = 0; i < length; ++i)
                    d[i] = s[i];
            }
            pos_ += length;
            total_ += length;
        } else {
            for (uint32_t i = 0; i < length; ++i) {
                buf_[pos_++] = buf_[src];
                src = (src + 1) & mask_;
                ++total_;
                if (pos_ == size_)
                    flush();
            }
        }
        return true;
    }

    // The byte written back bytes ago (1 = the last one); back is at most the dictionary.
    uint8_t recent(uint32_t back) const { return buf_[(pos_ - back) & mask_]; }

    // Makes the n bytes "before the start" equal to history (n at most the dictionary),
    // and allows copies to reach them: coders whose format defines a preset dictionary.
    void presetHistory(const uint8_t *history, std::size_t n);

    // Hands what is left to the sink. Call once when decoding ends.
    void finish();
    // A decoder's verdict when its loop ends: finishes, then None when the sink stopped
    // early (the rest is not wanted), Corrupt when the input ran out before the entry was
    // complete, None otherwise.
    template <class Input>
    archivers::ReadError finishEntry(const Input &in)
    {
        finish();
        if (stopped())
            return archivers::ReadError::None;
        return in.overrun() ? archivers::ReadError::Corrupt : archivers::ReadError::None;
    }

private:
    void flush();

    std::unique_ptr<uint8_t[]> buf_;
    std::size_t size_;
    std::size_t mask_;
    std::size_t pos_ = 0;
    std::size_t flushed_ = 0;
    uint32_t dictionary_;
    uint64_t total_ = 0;
    uint64_t limit_;
    const DataSink &sink_;
    bool stopped_ = false;
    bool presetHistory_ = false;
};

} // namespace tovik::codecs

#endif
