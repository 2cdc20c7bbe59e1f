#pragma once

#include <array>

namespace lumora_usb_encoder {

// Where the small keypads' keys 1-8 lie in the keypad pictures. The pictures are drawn to these
// places, and the editor lays its key buttons on them; a picture file of another size is scaled
// to the picture area so that its keys stay under the buttons.
struct PictureRect {
    int x;
    int y;
    int width;
    int height;
};

inline constexpr int kKeypadPictureWidth = 440;
inline constexpr int kKeypadPictureHeight = 330;
inline constexpr int kModifierButtonHeight = 24;  // each modifier button sits on top of its key
inline constexpr int kModifierButtonGap = 2;

// Three keys on top, three in the middle, two below; the 5-key keypad lacks keys 1, 3 and 5 and
// the 6-key keypad keys 1 and 3.
inline constexpr std::array<PictureRect, 8> kPictureKeyRects = {{
    {58, 64, 84, 44},
    {178, 64, 84, 44},
    {298, 64, 84, 44},
    {58, 164, 84, 44},
    {178, 164, 84, 44},
    {298, 164, 84, 44},
    {118, 264, 84, 44},
    {238, 264, 84, 44},
}};

}  // namespace lumora_usb_encoder
