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

namespace {

// Built-in id -> row of kBuiltins + 1 (0: no built-in has the id). Ids are small numbers.
constexpr int kIdLimit = [] {
    int top = 0;
    for (const BuiltinRow& row : kBuiltins) top = row.id > top ? row.id : top;
    return top + 1;
}();
constexpr std::array<uint8_t, kIdLimit> kRowOfId = [] {
    std::array<uint8_t, kIdLimit> t{};
    for (size_t i = 0; i < kBuiltins.size(); ++i) {
        uint8_t& slot = t[static_cast<size_t>(kBuiltins[i].id)];
        slot = slot == 0 ? static_cast<uint8_t>(i + 1) : throw "two built-ins share an id";
    }
    return t;
}();
static_assert(kBuiltins.size() < 255);

}  // namespace

const BuiltinRow* BuiltinById(int id) {
    if (id < 0 || id >= kIdLimit) return nullptr;
    const uint8_t row = kRowOfId[static_cast<size_t>(id)];
    return row == 0 ? nullptr : &kBuiltins[row - 1u];
}

}  // namespace norv::script
