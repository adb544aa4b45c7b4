#include "document/char_model.h"

namespace norv::document {

const char* PrevCharStart(int codePage, const char* lineStart, const char* p) {
    const char* q = lineStart;
    const char* prev = lineStart;
    while (q < p) {
        prev = q;
        q += CharLength(codePage, q, p);
    }
    return prev;
}

int ColumnAfter(int codePage, const char* p, const char* end, int tabWidth, int startCol) {
    int col = startCol;
    while (p < end) {
        size_t len = CharLength(codePage, p, end);
        col += CharColumns(p, len, col, tabWidth);
        p += len;
    }
    return col;
}

}  // namespace norv::document
