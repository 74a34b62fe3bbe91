// The viewer's own texts for the user, in one place, as the toolkit's strings: each is built
// from constant data at no cost. Texts that the archive layer also gives (the
// unsupported-format and not-installed texts) come from there, in CP932.
#ifndef TOVIK_SOURCE_LXPNGLOBALDEF_H
#define TOVIK_SOURCE_LXPNGLOBALDEF_H

#include <QString>

namespace usertext {

// Opening an entry.
inline QString MemoryExtractFailed() { return QStringLiteral("メモリ展開ができませんでした\r\n\r\n内容の閲覧はできません\r\n\r\n"); }
inline QString MemoryExtractEmpty() { return QStringLiteral("メモリ展開したデータがありませんでした\r\n内容の閲覧はできません"); }
inline QString ExecutableSelected() { return QStringLiteral("実行形式ファイルが選択されました\r\n内容の閲覧はできません"); }
inline QString NoWorkFolder() { return QStringLiteral("作業用フォルダが作成できませんでした"); }
inline QString DiskExtractQuestion()
{
    return QStringLiteral("\r\nに解凍して関連付けられたアプリケーションで開きます。\r\n\r\n"
                          "セキュリティは保証されません。\r\n\r\n実行しますか？");
}
inline QString DiskExtractQuestionHead() { return QStringLiteral("このファイルを\r\n"); }
inline QString DiskExtractFailed() { return QStringLiteral("解凍に失敗しました\r\n\r\n"); }
inline QString NoApplication() { return QStringLiteral("このファイルに関連付けられた\r\nアプリケーションが見つかりません"); }

// The notice inside an archive tab whose archive could not be read, and its reasons.
inline QString ArchiveNotOpened() { return QStringLiteral("書庫を開けませんでした"); }
inline QString ReasonNoSuchFile() { return QStringLiteral("ファイルがありません"); }
inline QString ReasonNotReadable() { return QStringLiteral("ファイルを読めません"); }
inline QString ReasonNoLibrary() { return QStringLiteral("どのライブラリでも読めませんでした"); }
inline QString ReasonCancelled() { return QStringLiteral("読み込みを中止しました"); }
// The notice of an archive listed only up to damage in it.
inline QString ListingCut() { return QStringLiteral("書庫が途中で壊れています。読めた所までを表示しています"); }

// Long work under way in an archive tab.
inline QString Listing() { return QStringLiteral("書庫を読んでいます…"); }
inline QString Extracting() { return QStringLiteral("展開しています…"); }

// The text viewer's status bar for an entry shown cut.
inline QString ShownCut() { return QStringLiteral("先頭 1,000,000 バイトのみ表示"); }

} // namespace usertext

#endif
