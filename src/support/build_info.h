#pragma once

namespace lumora_usb_encoder {

// The project version, followed by git's description of the commit when built from a clone:
// "7.2" or "7.2 (git 690a536-dirty)". All three programs print it for --version.
const char* programVersion();

// Where the install puts the udev rule that gives the logged-in user the keypad's hidraw nodes.
// Named in the message that tells a user why a keypad that is present cannot be opened.
const char* installedUdevRule();

}  // namespace lumora_usb_encoder
