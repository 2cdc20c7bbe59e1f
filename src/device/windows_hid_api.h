#pragma once

// The Windows HID API. MinGW's headers declare its C functions without telling C++ so.
#include <windows.h>
//
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
}
