#include "archivers/codecs/OutputWindow.h"

#include <algorithm>
#include <cstring>

namespace tovik::codecs {

OutputWindow::OutputWindow(unsigned dictionaryBits, uint64_t limit, const DataSink &sink)
    : dictionary_(1u << dictionaryBits), limit_(limit), sink_(sink)
{
    unsigned bits = std::max(dictionaryBits + 1, 18u);
    // A small entry needs no more than its own size (plus the dictionary for the history).
    while (bits > dictionaryBits + 1 && (uint64_t(1) << (bits - 1)) >= limit + dictionary_)
        --bits;
    size_ = std::size_t(1) << bits;
    mask_ = size_ - 1;
    buf_ = std::make_unique<uint8_t[]>(size_);
}

void OutputWindow::presetHistory(const uint8_t *history, std::size_t n)
{
    n = std::min<std::size_t>(n, dictionary_);
    std::memcpy(buf_.get() + size_ - n, history, n);
    presetHistory_ = true;
}

void OutputWindow::flush()
{
    if (pos_ > flushed_ && !stopped_) {
        if (!sink_(buf_.get() + flushed_, pos_ - flushed_))
            stopped_ = true;
    }
    if (pos_ == size_)
        pos_ = 0;
    flushed_ = pos_;
}

void OutputWindow::finish()
{
    flush();
}

} // namespace tovik::codecs
