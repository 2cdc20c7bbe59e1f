// The floor of quillon-config's start-up: the smallest Qt Widgets program that paints a window
// of the same size, timed the same way (QUILLON_FIRST_PAINT).
#include <QApplication>
#include <QLabel>

#include "gui/first_paint_probe.h"

int main(int argc, char** argv) {
    lumora_usb_encoder::FirstPaintProbe::markStart();
    QApplication app(argc, argv);
    QLabel window("Keypad");
    window.resize(640, 480);
    lumora_usb_encoder::FirstPaintProbe::watch();
    window.show();
    return QApplication::exec();
}
