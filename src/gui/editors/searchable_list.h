#pragma once

class QComboBox;

namespace lumora_usb_encoder {

// Makes a drop-down list of the editor find its entries by typing any part of them ("f13",
// "enter", "0x28"; letter case and blanks aside), and open no taller than about 20 entries
// whatever the style. Typing on the closed list opens it at the entry found instead of
// committing the first entry that happens to start with the letter.
void makeSearchable(QComboBox& list);

}  // namespace lumora_usb_encoder
