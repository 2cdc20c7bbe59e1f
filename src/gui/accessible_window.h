#pragma once

class QWidget;

namespace lumora_usb_encoder {

// A top-level QWidget is a "filler" to a screen reader, which then neither announces it as a
// window nor reads its title. This makes `window` a dialog to assistive technology, named by
// its title, as the windows built on QDialog are. Call it first in the window's constructor:
// the interface is made the first time anything asks, and kept.
void exposeAsDialog(QWidget* window);

}  // namespace lumora_usb_encoder
