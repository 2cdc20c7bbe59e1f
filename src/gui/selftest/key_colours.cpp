#include "gui/selftest/key_colours.h"

#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace lumora_usb_encoder {

namespace {

// Relative luminance, as contrast ratios are reckoned for text on a background.
double luminance(const QColor& colour) {
    auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

}  // namespace

QColor functionKeyColour(int key) {
    static const char* const colours[] = {"lightseagreen", "orange", "blue",  "yellow",   "yellow",
                                          "green",         "white",  "white", "darkblue", "red"};
    if (key < 1 || key > static_cast<int>(std::size(colours))) {
        return {};
    }
    return QColor(colours[key - 1]);
}

QColor seenKeyColour() {
    return QColor("limegreen");
}

QColor textColourOn(const QColor& background) {
    double behind = luminance(background);
    return contrast(behind, 0.0) >= contrast(behind, 1.0) ? QColor(Qt::black) : QColor(Qt::white);
}

void paintKey(QPushButton* button, const QColor& colour) {
    button->setProperty("keyColour", colour);
    button->setStyleSheet(QString("QPushButton { background-color: %1; color: %2; "
                                  "border: 1px solid #5a5a5a; border-radius: 4px; }")
                              .arg(colour.name(), textColourOn(colour).name()));
}

}  // namespace lumora_usb_encoder
