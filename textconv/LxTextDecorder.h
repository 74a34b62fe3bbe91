// Decoders into the display code page, and the automatic detection of a text's character set.
//
// A decoder reads a text character by character, splits it into lines and converts every
// character to CP932 (Shift_JIS), then loads the lines into a line store. Decoding never fails
// on bad input: what cannot be shown becomes "?" and decoding goes on. A zero byte (a zero unit
// for UTF-16) ends the text.
//
// Use: build a decoder through its character set row (TCharSetItem::CreateDecoder), call
// LoadFromStream, free it.
#ifndef TOVIK_TEXTCONV_LXTEXTDECORDER_H
#define TOVIK_TEXTCONV_LXTEXTDECORDER_H

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TEditStringList;

// Raised when the decoded text cannot be loaded into the lines, or a decoder's file cannot be
// read: "Error： LoadFromFile" followed by the file name.
class ELxDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The Shift_JIS "decoder": the display code page already, so the bytes load unchanged up to
// their first zero byte, like the text the viewer shows without decoding: choosing Shift_JIS
// from the menu shows the same text as the first load.
class TLxDecorderBase {
public:
    TLxDecorderBase(const std::string &fileName, bool bigEndian, bool hasBOM);
    virtual ~TLxDecorderBase();
    TLxDecorderBase(const TLxDecorderBase &) = delete;
    TLxDecorderBase &operator=(const TLxDecorderBase &) = delete;

    // A decoder of class T, this class unless named: what a character set row builds.
    template <class T = TLxDecorderBase>
    static std::unique_ptr<TLxDecorderBase> Create(const std::string &fileName, bool bigEndian, bool hasBOM)
    {
        return std::make_unique<T>(fileName, bigEndian, hasBOM);
    }

    // Clears lines; when FileName names an existing file, loads it.
    virtual void LoadFromFile(TEditStringList *lines);
    // Clears lines and loads the stream from its current position.
    virtual void LoadFromStream(std::istream &stream, TEditStringList *lines);
    // As LoadFromStream, for a whole text in memory.
    virtual void LoadFromBytes(std::string_view text, TEditStringList *lines);

    std::string FileName;
    uint8_t BigEndian = 0;
    uint8_t HasBOM = 0;

protected:
    // Replaces lines by text (split at CR, LF, CR LF); a failure becomes ELxDecodeError.
    void LoadLines(std::string_view text, TEditStringList *lines) const;
};

// What the byte and the 16-bit decoders share: the text being decoded, held in memory, the
// positions in it, the loading and the reading of a line. A line is read character by character
// through the decoder's PeekChar and Next; loading goes through DecodeRest, the decoder's faster
// road to the same lines. No operation reads beyond the text or moves Current past its end.
class TLxSourceDecorder : public TLxDecorderBase {
public:
    using TLxDecorderBase::TLxDecorderBase;

    // Reads the file named by FileName and decodes it.
    void LoadFromFile(TEditStringList *lines) override;
    // Rewinds the stream, decodes all of it and replaces lines by the result. What was decoded
    // before an error is loaded all the same, then the error passes on.
    void LoadFromStream(std::istream &stream, TEditStringList *lines) override;
    void LoadFromBytes(std::string_view text, TEditStringList *lines) override;

    // One character on; stays at the end of the text.
    virtual void Next() = 0;
    virtual bool AtEnd() = 0;
    // The line from LineStart to the next line end (CR, LF or CR LF), converted; LineStart then
    // points after the line end.
    virtual void ReadLine(std::string &line);
    // Points TextStart, LineStart and Current at text, which must outlive the decoding.
    virtual void SetSource(std::string_view text);

protected:
    // The character at Current in CP932, empty at the end of the text; moves Current as the
    // decoder's PeekChar does.
    virtual void PeekDisplayChar(std::string &ch) = 0;
    // Decodes from LineStart to the end of the text and adds the lines: the lines ReadLine
    // gives one by one (split at CR, LF and CR LF), a line end at the very end adding none.
    virtual void DecodeRest(TEditStringList *lines) = 0;

    std::string FBuffer; // a stream's bytes while they are decoded
    const uint8_t *TextStart = nullptr;
    const uint8_t *TextEnd = nullptr;
    const uint8_t *LineStart = nullptr;
    const uint8_t *Current = nullptr;
};

// The byte-oriented decoders. The text ends at its end or at a zero byte, whichever comes first.
class TLxJPDecorder : public TLxSourceDecorder {
public:
    using TLxSourceDecorder::TLxSourceDecorder;

    // PeekChar, then Next.
    virtual void ReadChar(std::string &ch);
    // The character at Current in CP932, empty at the end of the text. A character of several
    // bytes leaves Current on its last byte, so that Next passes all of it.
    virtual void PeekChar(std::string &ch);
    // One byte on; stays at the end of the text.
    void Next() override;
    bool AtEnd() override;

protected:
    void PeekDisplayChar(std::string &ch) override { PeekChar(ch); }
    void DecodeRest(TEditStringList *lines) override;
};

class TLxEUCJPDecorder : public TLxJPDecorder {
public:
    using TLxJPDecorder::TLxJPDecorder;
    void PeekChar(std::string &ch) override;

protected:
    void DecodeRest(TEditStringList *lines) override;
};

class TLxJISDecorder : public TLxJPDecorder {
public:
    using TLxJPDecorder::TLxJPDecorder;
    void PeekChar(std::string &ch) override;
    void SetSource(std::string_view text) override;

    uint8_t TwoByteMode = 0; // set by ESC "$", cleared by any other escape; kept across lines

protected:
    void DecodeRest(TEditStringList *lines) override;
};

class TLxUTF5Decorder : public TLxJPDecorder {
public:
    using TLxJPDecorder::TLxJPDecorder;
    void PeekChar(std::string &ch) override;
    // On to the next lead digit ("G" or above) or the end.
    void Next() override;

protected:
    void DecodeRest(TEditStringList *lines) override;
};

class TLxUTF8Decorder : public TLxJPDecorder {
public:
    using TLxJPDecorder::TLxJPDecorder;
    void PeekChar(std::string &ch) override;
    // Skips the signature EF BB BF when the text starts EF BB.
    void SetSource(std::string_view text) override;

protected:
    void DecodeRest(TEditStringList *lines) override;
};

// The 16-bit decoders: the same operations over 16-bit units read in little-endian order
// (positions count bytes, two per unit); each unit is converted to CP932 on its own. An odd last
// byte is ignored.
class TLxUnicodeDecorder : public TLxSourceDecorder {
public:
    using TLxSourceDecorder::TLxSourceDecorder;

    virtual void ReadChar(std::u16string &ch);
    virtual void PeekChar(std::u16string &ch);
    void Next() override;
    bool AtEnd() override;
    void SetSource(std::string_view text) override;

protected:
    void PeekDisplayChar(std::string &ch) override;
    void DecodeRest(TEditStringList *lines) override;
};

class TLxUTF16Decorder : public TLxUnicodeDecorder {
public:
    using TLxUnicodeDecorder::TLxUnicodeDecorder;
    // The unit at Current, its bytes swapped first for big-endian text.
    void PeekChar(std::u16string &ch) override;
    // Starts one unit in when HasBOM is set, without looking at that unit.
    void SetSource(std::string_view text) override;

protected:
    void DecodeRest(TEditStringList *lines) override;
};

// Automatic detection of a text's character set.
class TLxEncoderJudgment {
public:
    // Line-end kinds.
    static constexpr int16_t kLineEndCR = 0;
    static constexpr int16_t kLineEndLF = 1;
    static constexpr int16_t kLineEndCRLF = 2;

    // The character set code of text, judged from its first 64,000 bytes. certainty (0-10) is
    // set to 0 first; lineEnd is set only when the text has at least 4 bytes.
    static int32_t DetectCharSet(std::string_view text, int16_t &lineEnd, int16_t &certainty);
    // As DetectCharSet, for a stream read from its current position; defaultCode is the answer
    // when nothing better is found. Too short a text (under 4 bytes) answers defaultCode and
    // sets nothing.
    static int32_t DetectCharSetStream(std::istream &stream, int16_t &lineEnd, int16_t &certainty,
                                       int32_t defaultCode);
    // The system's ANSI code page as a character set code: 932, 936, 949 or 950, else -1.
    static int32_t DefaultCharSet();
    // The detection rules on a sample (at most 64,000 bytes used).
    static int32_t DetectSample(std::string_view sample, int16_t &lineEnd, int16_t &certainty, int32_t defaultCode);
    // The UTF-8 test of the detection: enough valid three- and four-byte sequences in a row.
    static bool LooksLikeUtf8(std::string_view sample);
};

// A line-end kind as text: "CR", "LF" or "CRLF".
const char *LineEndKindName(int16_t lineEnd);

#endif
