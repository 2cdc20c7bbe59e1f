#pragma once

class QObject;

namespace lumora_usb_encoder {

// Plays "Audio Test.MP3" from the current folder once, at half volume. Without the file, a
// codec or a sound device nothing happens: no message, no wait.
void playTestSound(QObject* owner);

}  // namespace lumora_usb_encoder
