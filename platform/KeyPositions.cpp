#include "platform/KeyPositions.h"

#include <array>
#include <utility>

namespace {

// (shortcut key code, Linux input code) for every key of the shortcut table, and Escape.
constexpr std::array<std::pair<std::uint16_t, std::uint8_t>, 53> positions = {{
    {0x35, 1},                                                              // escape
    {0x00, 30}, {0x01, 31}, {0x02, 32}, {0x03, 33}, {0x04, 35}, {0x05, 34}, // a s d f h g
    {0x06, 44}, {0x07, 45}, {0x08, 46}, {0x09, 47}, {0x0B, 48},             // z x c v b
    {0x0C, 16}, {0x0D, 17}, {0x0E, 18}, {0x0F, 19}, {0x10, 21}, {0x11, 20}, // q w e r y t
    {0x12, 2},  {0x13, 3},  {0x14, 4},  {0x15, 5},  {0x16, 7},  {0x17, 6},  // 1 2 3 4 6 5
    {0x18, 13}, {0x19, 10}, {0x1A, 8},  {0x1B, 12}, {0x1C, 9},  {0x1D, 11}, // = 9 7 - 8 0
    {0x1F, 24}, {0x20, 22}, {0x22, 23}, {0x23, 25},                         // o u i p
    {0x25, 38}, {0x26, 36}, {0x28, 37}, {0x2D, 49}, {0x2E, 50},             // l j k n m
    {0x31, 57},                                                             // space
    {0x7A, 59}, {0x78, 60}, {0x63, 61}, {0x76, 62}, {0x60, 63}, {0x61, 64}, // f1–f6
    {0x62, 65}, {0x64, 66}, {0x65, 67}, {0x6D, 68}, {0x67, 87}, {0x6F, 88}, // f7–f12
    {0x69, 99},                                                             // print (SysRq)
}};

constexpr std::uint32_t evdevOffset = 8;

} // namespace

std::optional<std::uint8_t> xkbKeycodeForKeyCode(std::uint32_t keyCode)
{
    for (const auto &[code, input] : positions) {
        if (code == keyCode)
            return std::uint8_t(input + evdevOffset);
    }
    return std::nullopt;
}

std::optional<std::uint16_t> keyCodeForXkbKeycode(std::uint32_t xkbKeycode)
{
    for (const auto &[code, input] : positions) {
        if (input + evdevOffset == xkbKeycode)
            return code;
    }
    return std::nullopt;
}
