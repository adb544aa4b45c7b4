// The spelling engine's session over the dictionaries and the word lists.
#include "tools/spell/spell_session.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "document/char_model.h"
#include "platform/code_page.h"

namespace norv::tools {

namespace {

// The verdicts kept for the run; past this many distinct words the store starts again, so a
// text of endless distinct words cannot grow it without bound.
constexpr size_t kVerdictBudget = 1u << 20;

bool IsUtf8Name(std::string_view name) {
    std::string n;
    for (char c : name)
        if (c != '-' && c != '_') n += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return n == "UTF8";
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

// A dictionary's text to UTF-8; nothing when it does not convert.
std::optional<std::string> ToUtf8(const std::string& encoding, const std::string& text) {
    if (IsUtf8Name(encoding) || IsAscii(text)) return text;
    iconv_t cd = iconv_open("UTF-8", encoding.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* o = out.data();
    size_t outLeft = out.size();
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// UTF-8 to the document's code; nothing when the code cannot hold every character (or the text
// is not well-formed).
std::optional<std::string> ToDocument(const std::string& utf8, int codePage) {
    if (IsAscii(utf8)) return utf8;
    const std::u16string wide = platform::MultiByteToWide(platform::kCodePageUtf8, utf8);
    if (wide.find(u'\uFFFD') != std::u16string::npos) return std::nullopt;
    if (document::IsUtf8CodePage(codePage)) return utf8;
    bool lossy = false;
    std::string out = platform::WideToMultiByte(codePage, wide, &lossy);
    if (lossy) return std::nullopt;
    return out;
}

}  // namespace

std::function<std::unique_ptr<SpellDictionary>(std::string_view)> SystemDictionaries() {
    return [folders = DictionaryFoldersFromEnvironment()](std::string_view name) {
        return OpenHunspellDictionary(folders, name);
    };
}

std::unique_ptr<SpellSession> SpellSession::Open(const SpellSessionOptions& options) {
    std::unique_ptr<SpellSession> s(new SpellSession());
    auto open = options.openDictionary ? options.openDictionary : SystemDictionaries();
    if (options.american)
        if (auto d = open("en_US")) s->dictionaries_.push_back(std::move(d));
    if (options.british)
        if (auto d = open("en_GB")) s->dictionaries_.push_back(std::move(d));
    if (s->dictionaries_.empty()) return nullptr;
    s->fs_ = options.fs;
    s->userListPath_ = options.userListPath;
    if (s->fs_ && !s->userListPath_.empty())
        s->userListStatus_ = ReadWordList(*s->fs_, s->userListPath_, s->userList_);
    return s;
}

bool SpellSession::DictionariesAccept(const std::string& word) {
    auto it = verdicts_.find(word);
    if (it != verdicts_.end()) return it->second;
    bool accepted = false;
    for (auto& d : dictionaries_) {
        if (d->Accepts(word)) {
            accepted = true;
            break;
        }
    }
    if (verdicts_.size() >= kVerdictBudget) verdicts_.clear();
    verdicts_.emplace(word, accepted);
    return accepted;
}

WordVerdict SpellSession::CheckWord(std::string_view word, std::string* replacement) {
    const std::string w(word);
    if (auto c = changes_.find(w); c != changes_.end()) {
        if (replacement) *replacement = c->second;
        return WordVerdict::kReplace;
    }
    if (sessionIgnore_.count(w) || userList_.words.count(w)) return WordVerdict::kAccepted;
    return DictionariesAccept(w) ? WordVerdict::kAccepted : WordVerdict::kNotAccepted;
}

std::vector<std::string> SpellSession::Suggest(std::string_view word, int codePage) {
    std::vector<std::string> out;
    std::vector<std::string> seen;
    const std::string w(word);
    for (auto& d : dictionaries_) {
        const std::string encoding = d->Encoding();
        for (const std::string& s : d->Suggest(w)) {
            if (out.size() >= kMaxSuggestions) return out;
            std::optional<std::string> utf8 = ToUtf8(encoding, s);
            if (!utf8 || utf8->empty()) continue;
            if (std::find(seen.begin(), seen.end(), *utf8) != seen.end()) continue;
            seen.push_back(*utf8);
            if (std::optional<std::string> shown = ToDocument(*utf8, codePage))
                out.push_back(std::move(*shown));
        }
    }
    return out;
}

void SpellSession::IgnoreAll(std::string_view word) {
    sessionIgnore_.emplace(word);
}

bool SpellSession::AddToUserList(std::string_view word) {
    userList_.words.emplace(word);
    if (!fs_ || userListPath_.empty()) return false;
    return AppendWord(*fs_, userListPath_, word, userList_);
}

void SpellSession::ChangeAll(std::string_view word, std::string_view replacement) {
    changes_[std::string(word)] = std::string(replacement);
}

}  // namespace norv::tools
