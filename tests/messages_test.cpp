// The messages are held as Shift_JIS bytes. Decoding them with the C library's
// own Shift_JIS table and comparing with the intended text proves the bytes
// without restating them.

#include "cli/messages.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <stdexcept>
#include <string>

namespace {

std::string shift_jis_to_utf8(const std::string& bytes) {
  iconv_t converter = iconv_open("UTF-8", "SHIFT_JIS");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no Shift_JIS in iconv");
  std::string in = bytes;
  std::string out(in.size() * 4, '\0');
  char* in_next = in.data();
  std::size_t in_left = in.size();
  char* out_next = out.data();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(converter, &in_next, &in_left, &out_next, &out_left);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("not valid Shift_JIS: " + bytes);
  out.resize(out.size() - out_left);
  return out;
}

TEST(Messages, AreTheJapaneseTextsInShiftJis) {
  // A C library for another processor, run under an emulator, may lack its
  // conversion tables.
  const iconv_t probe = iconv_open("UTF-8", "SHIFT_JIS");
  if (probe == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "this C library has no Shift_JIS table";
  iconv_close(probe);
  const struct {
    const char* bytes;
    const char* text;
  } cases[] = {
      {kInputOpenFailed, "[ERROR] 入力ファイルを開けませんでした。\n"},
      {kOutputOpenFailed, "[ERROR] 出力ファイルを開けませんでした。\n"},
      {kOutputOptionMisused, "[ERROR] -oの使い方が間違っています。\n"},
      {kTabOptionMisused, "[ERROR] -tの使い方が間違っています。\n"},
      {kTabWidthOutOfRange, "[ERROR] タブの幅が異常です。(1≦n≦99)\n"},
      {kUnknownOptionIgnored, "[WARNING] 認知できないオプションを無視しました。\n"},
      {kNoInputFile, "[ERROR] 入力ファイルが指定されていません。\n"},
      {kOutputIsInput, "[ERROR] 入力ファイルと同じファイルには出力できません。\n"},
      {kInputReadFailed, "[ERROR] 入力ファイルを読み込めませんでした。\n"},
      {kOutputWriteFailed, "[ERROR] 出力ファイルに書き込めませんでした。\n"},
      {kVersionLine, "Colorune Version 1.0.1\n\n"},  // a new version changes the help text, and this line
      {kUsage,
       "使い方: colorune 入力ファイル [ オプション... ]\n"
       "オプション:\n"
       "  -l                行番号を出力する。\n"
       "  -t<n>             タブ文字をn文字のスペースに展開する。\n"
       "  -p                pre タグを使用しない。\n"
       "  -o <filename>     filenameに出力する。\n"
       "  -h                ヘルプを表示する。\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, shift_jis_to_utf8(c.bytes));
}

TEST(Messages, KnownBytes) {
  // Two bytes the table decides: "≦" is 0x81 0x85, and "表" ends in a backslash.
  EXPECT_NE(std::string::npos, std::string(kTabWidthOutOfRange).find("(1\x81\x85n\x81\x85" "99)\n"));
  EXPECT_NE(std::string::npos, std::string(kUsage).find("\x95\\\x8e\xa6"));
  const std::string same_file = kOutputIsInput;
  EXPECT_TRUE(same_file.starts_with("\x5b\x45\x52\x52\x4f\x52\x5d\x20\x93\xfc\x97\xcd\x83\x74"));
  EXPECT_TRUE(same_file.ends_with("\x82\xf1\x81\x42\x0a"));
}

}  // namespace
