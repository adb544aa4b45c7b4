// The SENDKEYS parser (see send_keys.h).
#include "app/scripting/send_keys.h"

#include <algorithm>
#include <cctype>

#include "app/commands/key_names.h"
#include "platform/code_page.h"

namespace norv::app {

namespace {

struct CharKey {
    uint8_t key;
    bool shift;
};

constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
struct Punct {
    char plain, shifted;
    uint8_t key;
};
constexpr Punct kPunct[] = {
    {';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC},  {'-', '_', 0xBD},
    {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0},  {'[', '{', 0xDB},
    {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
};

// The key of a character on a US keyboard.
std::optional<CharKey> KeyOfChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return CharKey{static_cast<uint8_t>(u - 32), false};
    if (u >= 'A' && u <= 'Z') return CharKey{u, true};
    if (u >= '0' && u <= '9') return CharKey{u, false};
    if (const size_t at = kShiftedDigits.find(c); at != std::string_view::npos)
        return CharKey{static_cast<uint8_t>('0' + at), true};
    for (const Punct& p : kPunct) {
        if (c == p.plain) return CharKey{p.key, false};
        if (c == p.shifted) return CharKey{p.key, true};
    }
    switch (u) {
        case ' ':
            return CharKey{vk::kSpace, false};
        case '\t':
            return CharKey{vk::kTab, false};
        case '\r':
        case '\n':
            return CharKey{vk::kReturn, false};
        case 0x08:
            return CharKey{vk::kBack, false};
        case 0x1B:
            return CharKey{vk::kEscape, false};
        default:
            return std::nullopt;
    }
}

// What the key of a character types with Shift held ("a" gives "A", "1" gives "!"); characters
// without a shifted form stay as they are.
char ShiftedChar(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
    if (c >= '0' && c <= '9') return kShiftedDigits[static_cast<size_t>(c - '0')];
    for (const Punct& p : kPunct)
        if (c == p.plain) return p.shifted;
    return c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The key of a name in braces that is not a single character.
std::optional<uint8_t> KeyOfName(std::string_view name) {
    static constexpr struct {
        std::string_view name;
        uint8_t key;
    } kNames[] = {
        {"RBtn", vk::kRButton}, {"LBtn", vk::kLButton}, {"BS", vk::kBack},     {"Tab", vk::kTab},
        {"Enter", vk::kReturn}, {"ESC", vk::kEscape},   {"Space", vk::kSpace}, {"PgUp", vk::kPrior},
        {"PgDn", vk::kNext},    {"End", vk::kEnd},      {"Home", vk::kHome},   {"Left", vk::kLeft},
        {"Up", vk::kUp},        {"Right", vk::kRight},  {"Down", vk::kDown},   {"Ins", vk::kInsert},
        {"Del", vk::kDelete},
    };
    for (const auto& n : kNames)
        if (EqualNoCase(name, n.name)) return n.key;
    if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || name[0] == 'f')) {
        int n = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9') return std::nullopt;
            n = n * 10 + (c - '0');
        }
        if (name[1] != '0' && n >= 1 && n <= 24) return static_cast<uint8_t>(vk::kF1 + n - 1);
    }
    return std::nullopt;
}

class Parser {
  public:
    Parser(std::string_view text, int codePage) : text_(text), codePage_(codePage) {}

    std::optional<std::vector<KeyEvent>> Run() {
        if (!Sequence(0) || at_ != text_.size()) return std::nullopt;
        return std::move(events_);
    }

  private:
    // Keys up to the end of the text, or up to the ")" of a group at depth > 0.
    bool Sequence(int depth) {
        while (at_ < text_.size()) {
            if (text_[at_] == ')') {
                if (depth == 0) return false;
                return true;
            }
            if (!Item()) return false;
        }
        return depth == 0;
    }

    // One key, a group, or holds followed by one of them.
    bool Item() {
        std::vector<uint8_t> held;
        while (at_ < text_.size() &&
               (text_[at_] == '+' || text_[at_] == '^' || text_[at_] == '%')) {
            const uint8_t m = text_[at_] == '+'   ? kShiftKey
                              : text_[at_] == '^' ? kCtrlKey
                                                  : kAltKey;
            ++at_;
            // "++a" holds Shift once.
            if (IsHeld(m) || std::find(held.begin(), held.end(), m) != held.end()) continue;
            held.push_back(m);
        }
        if (at_ >= text_.size() || text_[at_] == ')') return false;  // a hold with nothing after
        for (uint8_t m : held) {
            if (!Emit(m, true)) return false;
            held_.push_back(m);
        }
        bool ok;
        if (text_[at_] == '(') {
            ++at_;
            ok = Sequence(1) && at_ < text_.size() && text_[at_] == ')';
            if (ok) ++at_;
        } else if (text_[at_] == '{') {
            ok = Braced();
        } else if (text_[at_] == '~') {
            ++at_;
            ok = Key(vk::kReturn, false, {}, 1);
        } else {
            ok = Character(1);
        }
        for (auto m = held.rbegin(); ok && m != held.rend(); ++m) {
            held_.pop_back();
            ok = Emit(*m, false);
        }
        return ok;
    }

    bool Braced() {
        ++at_;  // past "{"
        // "{}}" is a right brace; otherwise the name runs to the next "}".
        size_t close;
        if (text_.substr(at_, 2) == "}}") {
            close = at_ + 1;
        } else {
            close = text_.find('}', at_);
            if (close == std::string_view::npos) return false;
        }
        std::string_view inside = text_.substr(at_, close - at_);
        at_ = close + 1;
        int count = 1;
        const size_t blank = inside.rfind(' ');
        if (blank != std::string_view::npos && blank > 0 && blank + 1 < inside.size()) {
            const std::string_view digits = inside.substr(blank + 1);
            count = 0;
            for (char c : digits) {
                if (c < '0' || c > '9') return false;
                count = count * 10 + (c - '0');
                if (count > int(kMaxKeyEvents)) return false;
            }
            if (count == 0) return false;
            inside = inside.substr(0, blank);
        }
        if (inside.empty()) return false;
        if (inside.size() == 1 ||
            (inside.size() == 2 && platform::IsLeadByte(codePage_, uint8_t(inside[0])))) {
            const char c = inside[0];
            // The letters and @ [ \ ] ^ _ name their key (typing the character itself).
            if (std::isalpha(static_cast<unsigned char>(c)))
                return Key(static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(c))), false,
                           std::string(1, c), count);
            static constexpr std::string_view kNamed = "@[\\]^_";
            if (inside.size() == 1 && kNamed.find(c) != std::string_view::npos)
                return Key(static_cast<uint8_t>(c), false, std::string(1, c), count);
            std::string_view saved = text_;
            const size_t savedAt = at_;
            text_ = inside;
            at_ = 0;
            const bool ok = Character(count);
            text_ = saved;
            at_ = savedAt;
            return ok;
        }
        const std::optional<uint8_t> key = KeyOfName(inside);
        if (!key) return false;
        return Key(*key, false, *key == vk::kSpace ? " " : "", count);
    }

    // The character at the cursor, `count` times.
    bool Character(int count) {
        const auto b = static_cast<uint8_t>(text_[at_]);
        if (platform::IsLeadByte(codePage_, b)) {
            if (at_ + 1 >= text_.size()) return false;
            const std::string bytes(text_.substr(at_, 2));
            at_ += 2;
            return Key(0, false, bytes, count);
        }
        ++at_;
        const std::optional<CharKey> k = KeyOfChar(static_cast<char>(b));
        if (!k) return Key(0, false, std::string(1, static_cast<char>(b)), count);
        std::string bytes(1, static_cast<char>(b));
        if (k->key == vk::kReturn || k->key == vk::kTab || k->key == vk::kBack ||
            k->key == vk::kEscape)
            bytes.clear();
        return Key(k->key, k->shift, bytes, count);
    }

    // A key pressed and released `count` times, with Shift around it when needed and not held.
    // Under a Shift hold ("+a") the key types its shifted character, as on the keyboard.
    bool Key(uint8_t key, bool shift, const std::string& bytes, int count) {
        const bool addShift = shift && !IsHeld(kShiftKey);
        std::string typed = bytes;
        if (IsHeld(kShiftKey) && typed.size() == 1) typed[0] = ShiftedChar(typed[0]);
        for (int i = 0; i < count; ++i) {
            if (addShift && !Emit(kShiftKey, true)) return false;
            if (!Emit(key, true, typed) || !Emit(key, false)) return false;
            if (addShift && !Emit(kShiftKey, false)) return false;
        }
        return true;
    }

    bool Emit(uint8_t key, bool down, const std::string& bytes = {}) {
        if (events_.size() >= kMaxKeyEvents) return false;
        events_.push_back(KeyEvent{key, down, down ? bytes : std::string()});
        return true;
    }

    bool IsHeld(uint8_t m) const {
        for (uint8_t h : held_)
            if (h == m) return true;
        return false;
    }

    std::string_view text_;
    int codePage_;
    size_t at_ = 0;
    std::vector<KeyEvent> events_;
    std::vector<uint8_t> held_;
};

}  // namespace

std::optional<std::vector<KeyEvent>> ParseSendKeys(std::string_view keys, int codePage) {
    return Parser(keys, codePage).Run();
}

std::vector<SentKey> StrokesOf(const std::vector<KeyEvent>& events) {
    std::vector<SentKey> out;
    bool shift = false, ctrl = false, alt = false;
    for (const KeyEvent& e : events) {
        switch (e.key) {
            case kShiftKey:
                shift = e.down;
                continue;
            case kCtrlKey:
                ctrl = e.down;
                continue;
            case kAltKey:
                alt = e.down;
                continue;
            default:
                break;
        }
        if (!e.down) continue;
        SentKey k;
        k.stroke.key = e.key;
        k.stroke.shift = shift;
        k.stroke.ctrl = ctrl;
        k.stroke.alt = alt;
        // A key held with Ctrl or Alt types nothing, as on the keyboard.
        if (!ctrl && !alt) k.bytes = e.bytes;
        out.push_back(std::move(k));
    }
    return out;
}

}  // namespace norv::app
