#pragma once

namespace lumora_usb_encoder {

// The project version, followed by git's description of the commit when built from a clone:
// "7.2" or "7.2 (git 690a536-dirty)". All three programs print it for --version.
const char* programVersion();

}  // namespace lumora_usb_encoder
