// 設定ファイルを読み込む
#include <fstream>
#include <string>

#define 既定の名前 "設定.ini"  // 既定値
#define 挨拶 "こんにちは、世界"

/* 行の末尾がひらがな: あ
   ここも注釈 */
struct 設定 {
	std::string 名前 = 既定の名前;  // 名前は日本語でもよい
	int 回数 = 3;  // 🍣 の数
};

static const char* 区切り = "、";
static const char 記号 = '\'';

int main() {
	設定 s;
	std::ofstream out("出力.txt");
	out << 挨拶 << 区切り << s.名前 << "\n";  // 書き出す
	return s.回数 > 0 ? 0 : 1;  // 終わり
}
