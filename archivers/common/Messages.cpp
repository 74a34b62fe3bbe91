#include "archivers/common/Messages.h"

#include "platform/Cp932.h"

#include <cstring>
#include <string>

namespace tovik::archivers {

std::string_view MessageText(Message message)
{
    switch (message) {
    case Message::ArchiveNotFound: return "書庫が見つかりません";
    case Message::EntryNotFound: return "ファイルが見つかりません";
    case Message::Corrupt: return "書庫が壊れています";
    case Message::WriteFailed: return "書き込みに失敗しました";
    case Message::Encrypted: return "パスワード付きのファイルは展開できません";
    case Message::Unsupported: return "この圧縮方式には対応していません";
    case Message::OutOfMemory: return "メモリが不足しています";
    case Message::BadCommand: return "コマンドが正しくありません";
    case Message::Busy: return "他の展開が実行中です";
    case Message::BadName: return "ファイル名が正しくありません";
    case Message::NotArchive: return "この形式には対応していません";
    case Message::NotAFile: return "通常のファイルではありません (リンクまたはデバイス)";
    case Message::NoSpace: return "展開先の空き容量が足りません";
    case Message::Extracted: return "展開しました";
    }
    return "書庫が壊れています";
}

Message MessageFor(ReadError error)
{
    switch (error) {
    case ReadError::None: return Message::Extracted;
    case ReadError::NotFound: return Message::ArchiveNotFound;
    case ReadError::Corrupt: return Message::Corrupt;
    case ReadError::Unsupported: return Message::Unsupported;
    case ReadError::Encrypted: return Message::Encrypted;
    case ReadError::WriteFailed: return Message::WriteFailed;
    case ReadError::OutOfMemory: return Message::OutOfMemory;
    case ReadError::NotAFile: return Message::NotAFile;
    }
    return Message::Corrupt;
}

void WriteMessage(char *buffer, std::size_t size, std::string_view utf8)
{
    if (buffer == nullptr || size == 0)
        return;
    std::string text = platform::Utf8ToCp932(utf8);
    std::size_t n = 0;
    // Stop before a two-byte character that would not fit whole.
    while (n < text.size()) {
        std::size_t step = platform::IsCp932LeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
        if (n + step > size - 1)
            break;
        n += step;
    }
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace tovik::archivers
