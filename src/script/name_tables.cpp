// Lookups in the keyword, built-in and system variable tables (see name_tables.h).
#include "script/name_tables.h"

namespace norv::script {

int LookupKeyword(std::string_view name) {
    const int row = FindRow(kKeywords, name);
    return row < 0 ? 0 : kKeywords[static_cast<size_t>(row)].token;
}

int LookupBuiltin(std::string_view name) {
    return FindRow(kBuiltins, name);
}

int LookupSysVar(std::string_view name) {
    return FindRow(kSysVars, name);
}

const BuiltinRow* BuiltinById(int id) {
    for (const BuiltinRow& row : kBuiltins)
        if (row.id == id) return &row;
    return nullptr;
}

}  // namespace norv::script
