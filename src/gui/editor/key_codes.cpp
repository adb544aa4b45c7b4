// The Qt key to key byte table.
#include "gui/editor/key_codes.h"

#include <Qt>

namespace norv::qt {
namespace {

struct KeyPair {
    int qt;
    uint8_t vk;
};

constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, 0x08},   {Qt::Key_Tab, 0x09},        {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},      {Qt::Key_Enter, 0x0D},      {Qt::Key_Pause, 0x13},
    {Qt::Key_Escape, 0x1B},      {Qt::Key_Space, 0x20},      {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},    {Qt::Key_End, 0x23},        {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},        {Qt::Key_Up, 0x26},         {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},        {Qt::Key_Insert, 0x2D},     {Qt::Key_Delete, 0x2E},
    {Qt::Key_Menu, 0x5D},        {Qt::Key_Semicolon, 0xBA},  {Qt::Key_Colon, 0xBA},
    {Qt::Key_Plus, 0xBB},        {Qt::Key_Equal, 0xBB},      {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},        {Qt::Key_Minus, 0xBD},      {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},      {Qt::Key_Greater, 0xBE},    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},    {Qt::Key_QuoteLeft, 0xC0},  {Qt::Key_At, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},  {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},         {Qt::Key_yen, 0xDC},        {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},  {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE},
    {Qt::Key_AsciiCircum, 0xDE},
};

}  // namespace

std::optional<uint8_t> VirtualKeyOf(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<uint8_t>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<uint8_t>('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<uint8_t>(0x70 + (qtKey - Qt::Key_F1));
    for (const KeyPair& k : kKeys)
        if (k.qt == qtKey) return k.vk;
    return std::nullopt;
}

}  // namespace norv::qt
