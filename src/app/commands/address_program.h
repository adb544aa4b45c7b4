// Opening a web or mail address found in the text: the commands that name addresses, and the
// program line that opens one. A program setting is a command template: "%1" stands for the
// address, any other "%" and the character after it are dropped, and a template without "%1"
// gets the address as its last argument. Without a program the desktop's opener takes it.
//
// The template is split into arguments at blanks (double quotes group blanks into one argument
// and are removed); the address always lands inside one argument, so an address can never add
// arguments or reach a shell.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norv::app {

// Commands of the address under the caret. They are menu commands without keys of their own.
enum class AddressCommand : uint16_t {
    OpenURL = 32815,
    CopyURL = 32816,
    CutURL = 32817,
    SelectURL = 32829,
};

struct AddressCommandName {
    std::string_view name;
    AddressCommand id;
    std::string_view menuText;
};

inline constexpr std::array<AddressCommandName, 4> kAddressCommands = {{
    {"SelectURL", AddressCommand::SelectURL, "Select &URL"},
    {"Copy URL", AddressCommand::CopyURL, "Cop&y URL"},
    {"Cut URL", AddressCommand::CutURL, "Cu&t URL"},
    {"Open URL", AddressCommand::OpenURL, "&Open URL"},
}};

// The program used when no program is set.
inline constexpr std::string_view kDesktopOpener = "xdg-open";

// The program and its arguments that open `address` (a web address when `isUrl`, else a mail
// address). `urlProgram` and `mailProgram` are the templates of the settings (may be empty).
std::vector<std::string> AddressCommandLine(std::string_view address, bool isUrl,
                                            std::string_view urlProgram,
                                            std::string_view mailProgram);

// The arguments of a command template with every "%1" replaced by `address`.
std::vector<std::string> ExpandProgramTemplate(std::string_view templ, std::string_view address);

}  // namespace norv::app
