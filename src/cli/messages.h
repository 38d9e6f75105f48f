#ifndef COLORUNE_CLI_MESSAGES_H_
#define COLORUNE_CLI_MESSAGES_H_

#include "version.h"

// The program's messages, written to standard error as they stand: Shift_JIS
// bytes, each message with its "[ERROR] " or "[WARNING] " prefix and its final
// line feed. The bytes are spelled as escapes so that neither the encoding of this
// file nor the compiler's character set can change them; a string is split where
// a hex escape is followed by a character that is a hex digit ("\x83" "C" is イ).

// [ERROR] 入力ファイルを開けませんでした。 (Failed to open the input file.)
inline constexpr char kInputOpenFailed[] =
    "[ERROR] \x93\xfc\x97\xcd\x83t\x83@\x83" "C\x83\x8b\x82\xf0\x8aJ\x82\xaf\x82\xdc"
    "\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81" "B\n";

// [ERROR] 出力ファイルを開けませんでした。 (Failed to open the output file.)
inline constexpr char kOutputOpenFailed[] =
    "[ERROR] \x8fo\x97\xcd\x83t\x83@\x83" "C\x83\x8b\x82\xf0\x8aJ\x82\xaf\x82\xdc\x82\xb9"
    "\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81" "B\n";

// [ERROR] -oの使い方が間違っています。 (-o is used wrongly.)
inline constexpr char kOutputOptionMisused[] =
    "[ERROR] -o\x82\xcc\x8eg\x82\xa2\x95\xfb\x82\xaa\x8a\xd4\x88\xe1\x82\xc1\x82\xc4\x82\xa2"
    "\x82\xdc\x82\xb7\x81" "B\n";

// [ERROR] -tの使い方が間違っています。 (-t is used wrongly.)
inline constexpr char kTabOptionMisused[] =
    "[ERROR] -t\x82\xcc\x8eg\x82\xa2\x95\xfb\x82\xaa\x8a\xd4\x88\xe1\x82\xc1\x82\xc4\x82\xa2"
    "\x82\xdc\x82\xb7\x81" "B\n";

// [ERROR] タブの幅が異常です。(1≦n≦99) (The tab width is out of range.)
inline constexpr char kTabWidthOutOfRange[] =
    "[ERROR] \x83^\x83u\x82\xcc\x95\x9d\x82\xaa\x88\xd9\x8f\xed\x82\xc5\x82\xb7\x81" "B"
    "(1\x81\x85n\x81\x85" "99)\n";

// [WARNING] 認知できないオプションを無視しました。 (Ignored an unrecognised option.)
inline constexpr char kUnknownOptionIgnored[] =
    "[WARNING] \x94" "F\x92m\x82\xc5\x82\xab\x82\xc8\x82\xa2\x83I\x83v\x83V\x83\x87\x83\x93"
    "\x82\xf0\x96\xb3\x8e\x8b\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B\n";

// [ERROR] 入力ファイルが指定されていません。 (No input file is given.)
// Followed by an empty line and the usage block.
inline constexpr char kNoInputFile[] =
    "[ERROR] \x93\xfc\x97\xcd\x83t\x83@\x83" "C\x83\x8b\x82\xaa\x8ew\x92\xe8\x82\xb3\x82\xea"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81" "B\n";

// [ERROR] 入力ファイルと同じファイルには出力できません。
// (Cannot write the output over the input file.)
inline constexpr char kOutputIsInput[] =
    "[ERROR] \x93\xfc\x97\xcd\x83t\x83@\x83" "C\x83\x8b\x82\xc6\x93\xaf\x82\xb6\x83t\x83@\x83"
    "C\x83\x8b\x82\xc9\x82\xcd\x8fo\x97\xcd\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81" "B\n";

// [ERROR] 入力ファイルを読み込めませんでした。 (Failed to read the input file.)
inline constexpr char kInputReadFailed[] =
    "[ERROR] \x93\xfc\x97\xcd\x83t\x83@\x83" "C\x83\x8b\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf"
    "\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81" "B\n";

// [ERROR] 出力ファイルに書き込めませんでした。 (Failed to write the output file.)
inline constexpr char kOutputWriteFailed[] =
    "[ERROR] \x8fo\x97\xcd\x83t\x83@\x83" "C\x83\x8b\x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf"
    "\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81" "B\n";

// The help text (-h): the version line and an empty line before the usage block.
inline constexpr char kVersionLine[] = "Colorune Version " COLORUNE_VERSION "\n\n";

// The usage block; the descriptions start in the 21st column.
//   使い方: colorune 入力ファイル [ オプション... ]   (Usage: colorune input-file [ options... ])
//   オプション:                                       (Options:)
//     -l                行番号を出力する。            (Write line numbers.)
//     -t<n>             タブ文字をn文字のスペースに展開する。 (Expand tab characters to n spaces.)
//     -p                pre タグを使用しない。        (Do not use the pre tag.)
//     -o <filename>     filenameに出力する。          (Write to filename.)
//     -h                ヘルプを表示する。            (Show help.)
inline constexpr char kUsage[] =
    "\x8eg\x82\xa2\x95\xfb: colorune \x93\xfc\x97\xcd\x83t\x83@\x83" "C\x83\x8b"
    " [ \x83I\x83v\x83V\x83\x87\x83\x93... ]\n"
    "\x83I\x83v\x83V\x83\x87\x83\x93:\n"
    "  -l                \x8ds\x94\xd4\x8d\x86\x82\xf0\x8fo\x97\xcd\x82\xb7\x82\xe9\x81" "B\n"
    "  -t<n>             \x83^\x83u\x95\xb6\x8e\x9a\x82\xf0n\x95\xb6\x8e\x9a\x82\xcc\x83X\x83y"
    "\x81[\x83X\x82\xc9\x93W\x8aJ\x82\xb7\x82\xe9\x81" "B\n"
    "  -p                pre \x83^\x83O\x82\xf0\x8eg\x97p\x82\xb5\x82\xc8\x82\xa2\x81" "B\n"
    "  -o <filename>     filename\x82\xc9\x8fo\x97\xcd\x82\xb7\x82\xe9\x81" "B\n"
    "  -h                \x83w\x83\x8b\x83v\x82\xf0\x95\\\x8e\xa6\x82\xb7\x82\xe9\x81" "B\n";

#endif  // COLORUNE_CLI_MESSAGES_H_
