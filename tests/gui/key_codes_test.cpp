// Qt keys to key bytes: the ranges and the named keys the key table uses.
#include "gui/editor/key_codes.h"

#include <gtest/gtest.h>

#include <Qt>

namespace norv::qt {
namespace {

TEST(KeyCodes, QtKeysBecomeKeyBytes) {
    static const struct {
        int qt;
        int vk;  // -1: no key byte
    } kCases[] = {
        {Qt::Key_A, 'A'},       {Qt::Key_Z, 'Z'},       {Qt::Key_0, '0'},
        {Qt::Key_9, '9'},       {Qt::Key_F1, 0x70},     {Qt::Key_F12, 0x7B},
        {Qt::Key_F24, 0x87},    {Qt::Key_Left, 0x25},   {Qt::Key_Up, 0x26},
        {Qt::Key_Right, 0x27},  {Qt::Key_Down, 0x28},   {Qt::Key_Home, 0x24},
        {Qt::Key_End, 0x23},    {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22},
        {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E}, {Qt::Key_Backspace, 0x08},
        {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D},  {Qt::Key_Escape, 0x1B},
        {Qt::Key_Tab, 0x09},    {Qt::Key_Space, 0x20},  {Qt::Key_Shift, -1},
        {Qt::Key_Control, -1},  {Qt::Key_unknown, -1},  {Qt::Key_F25, -1},
    };
    for (const auto& c : kCases) {
        const std::optional<uint8_t> vk = VirtualKeyOf(c.qt);
        if (c.vk < 0) {
            EXPECT_FALSE(vk.has_value()) << std::hex << c.qt;
        } else {
            EXPECT_EQ(vk, std::optional<uint8_t>(static_cast<uint8_t>(c.vk))) << std::hex << c.qt;
        }
    }
}

}  // namespace
}  // namespace norv::qt
