// Built-ins of the surroundings: date and time, environment, dialogs, beep, waiting and the
// message pump, residency. Dialog texts are in the system code page; the user interface takes
// UTF-8, so they are converted at this edge.
#include <cstdlib>
#include <ctime>
#include <string>

#include "document/codecs.h"
#include "platform/code_page.h"
#include "platform/ui.h"
#include "script/builtins.h"
#include "script/interpreter.h"
#include "script/key_macro.h"
#include "script/name_tables.h"
#include "script/script_host.h"

namespace norv::script {

namespace {

int32_t S(uint32_t v) {
    return static_cast<int32_t>(v);
}

std::string FormatNow(const std::string& format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[512];
    const size_t n = std::strftime(buf, sizeof buf, format.c_str(), &local);
    return std::string(buf, n);
}

std::string ToUtf8(const std::string& text) {
    std::string out;
    document::AnsiToUtf8(out, text, platform::SystemCodePage());
    return out;
}

std::string FromUtf8(const std::string& text) {
    std::string out;
    document::Utf8ToAnsi(out, text, platform::SystemCodePage());
    return out;
}

}  // namespace

bool CallSystemBuiltin(int id, const uint32_t* a, Runtime& rt) {
    auto str = [&](int i) { return rt.ArgString(a[i]); };
    auto ret = [&](const std::string& s) { rt.SetResult(rt.MakeString(s)); };
    switch (id) {
        case BuiltinId("DATE"): {
            std::string f = str(0);
            if (f.empty()) f = platform::SystemCodePage() == 932 ? "%Y/%m/%d" : "%m/%d/%Y";
            ret(FormatNow(f));
            return true;
        }
        case BuiltinId("TIME"): {
            std::string f = str(0);
            if (f.empty()) f = "%H:%M:%S";
            ret(FormatNow(f));
            return true;
        }
        case BuiltinId("ENVIRON"): {
            const std::string name = str(0);
            const char* v = name.empty() ? nullptr : std::getenv(name.c_str());
            std::string value = v != nullptr ? v : "";
            if (value.size() > 259) value.resize(259);
            ret(value);
            return true;
        }
        case BuiltinId("DEFAULT"):
            return true;
        case BuiltinId("BEEP"):
            rt.host().ui().Beep();
            return true;
        case BuiltinId("WAIT"):
            // Ctrl+Break during the wait stops the script at once.
            if (S(a[0]) > 0) rt.host().Wait(S(a[0]));
            if (rt.host().BreakPressed()) rt.Interrupt();
            return true;
        case BuiltinId("DOEVENTS"):
            rt.host().PumpMessages();
            if (rt.host().BreakPressed()) rt.Interrupt();
            return true;
        case BuiltinId("MSGBOX"): {
            // The style keeps the platform's numbers of buttons, icon and default button; an
            // empty caption means "Norv".
            const std::string text = ToUtf8(str(0));
            std::string caption = ToUtf8(str(1));
            if (caption.empty()) caption = "Norv";
            rt.SetResult(
                static_cast<uint32_t>(rt.host().ui().CaptionedMessageBox(text, caption, a[2])));
            rt.host().PumpMessages();
            return true;
        }
        case BuiltinId("INPUTBOX"): {
            const auto answer = rt.host().InputBox(ToUtf8(str(0)), ToUtf8(str(1)), ToUtf8(str(2)));
            ret(answer ? FromUtf8(*answer) : std::string());
            rt.host().PumpMessages();
            return true;
        }
        case BuiltinId("STAYRESIDENT"):
            // The key macro is played and dropped; it never stays.
            if (rt.header().title == kKeyMacroTitle) {
                rt.host().ui().MessageBox("KeyMacro can not stay resident.",
                                          platform::mb::kOk | platform::mb::kIconWarning);
                return true;
            }
            rt.SetResident(true);
            rt.host().ResidentChanged(rt, true);
            return true;
        case BuiltinId("TERMINATE"):
            rt.SetResident(false);
            rt.host().ResidentChanged(rt, false);
            return true;
        default:
            return false;
    }
}

}  // namespace norv::script
