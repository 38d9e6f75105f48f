/*
 * 在庫表の集計 (inventory report)
 * ソースは Shift_JIS で書かれている。
 */
#include <stdio.h>
#include "stock.h"   /* 在庫の型 */

#define TABLE_TITLE "在庫表"  // 表の見出し
#define MAX_ITEMS 100

typedef struct {
	char name[32];   /* 品名: 能力ソフト */
	int  count;      // 個数の予定表
} Item;

static const char *labels[] = { "ソ", "表", "能", "予" };

int report(const Item *items, int n)
{
	int total = 0;
	for (int i = 0; i < n && i < MAX_ITEMS; i++) {
		total += items[i].count;   // 合計に加える\
		この行も注釈の続き
	}
	if (total > 0 && n != 0)
		printf("%s: %d 個\n", TABLE_TITLE, total);
	putchar('表');
	return total;
}
