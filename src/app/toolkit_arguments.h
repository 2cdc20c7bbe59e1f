#pragma once

#include <string>
#include <vector>

namespace lumora_usb_encoder {

// Takes the window toolkit's own options out of a command line, so that ours can be read before
// the toolkit starts (it aborts without a display). A toolkit option is written with one or two
// dashes; one that takes a value takes the next word, or the text after '='. Returns the other
// words, program name left out, in order; the toolkit's go to `toolkit` in order.
std::vector<std::string> splitToolkitArguments(int argc, char** argv,
                                               std::vector<std::string>& toolkit);

}  // namespace lumora_usb_encoder
