// The viewer's own texts for the user, in one place. Texts that the archive layer also gives
// (the unsupported-format and not-installed texts) come from there, in CP932.
#ifndef TOVIK_SOURCE_LXPNGLOBALDEF_H
#define TOVIK_SOURCE_LXPNGLOBALDEF_H

namespace usertext {

// Opening an entry.
inline constexpr char MemoryExtractFailed[] = "メモリ展開ができませんでした\r\n\r\n内容の閲覧はできません\r\n\r\n";
inline constexpr char MemoryExtractEmpty[] = "メモリ展開したデータがありませんでした\r\n内容の閲覧はできません";
inline constexpr char ExecutableSelected[] = "実行形式ファイルが選択されました\r\n内容の閲覧はできません";
inline constexpr char NoWorkFolder[] = "作業用フォルダが作成できませんでした";
inline constexpr char DiskExtractQuestion[] =
    "\r\nに解凍して関連付けられたアプリケーションで開きます。\r\n\r\nセキュリティは保証されません。\r\n\r\n実行しますか？";
inline constexpr char DiskExtractQuestionHead[] = "このファイルを\r\n";
inline constexpr char DiskExtractFailed[] = "解凍に失敗しました\r\n\r\n";
inline constexpr char NoApplication[] = "このファイルに関連付けられた\r\nアプリケーションが見つかりません";

// The notice inside an archive tab whose archive could not be read, and its reasons.
inline constexpr char ArchiveNotOpened[] = "書庫を開けませんでした";
inline constexpr char ReasonNoSuchFile[] = "ファイルがありません";
inline constexpr char ReasonNotReadable[] = "ファイルを読めません";
inline constexpr char ReasonNoLibrary[] = "どのライブラリでも読めませんでした";
inline constexpr char ReasonCancelled[] = "読み込みを中止しました";
// The notice of an archive listed only up to damage in it.
inline constexpr char ListingCut[] = "書庫が途中で壊れています。読めた所までを表示しています";

// Long work under way in an archive tab.
inline constexpr char Listing[] = "書庫を読んでいます…";
inline constexpr char Extracting[] = "展開しています…";

// The text viewer's status bar for an entry shown cut.
inline constexpr char ShownCut[] = "先頭 1,000,000 バイトのみ表示";

} // namespace usertext

#endif
