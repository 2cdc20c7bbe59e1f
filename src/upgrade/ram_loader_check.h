#pragma once

#include <string>

namespace lumora_usb_encoder {

// Whether the coming upgrade has a RAM loader it may send, asked before the keypad is sent to its
// loader: a keypad left there with nothing to program it with cannot be used until someone
// finds one. The loader named with `ramBslPath`, else the installed one, must be readable and of
// the right version and layout; without either only the simulation in this process may have the
// built-in one (over a socket or a cable the loader may be the real part). False with the lines
// that say why, in the words of the upgrade log.
bool ramLoaderAtHand(const std::string& ramBslPath, std::string& problem);

}  // namespace lumora_usb_encoder
