#pragma once

#include <QComboBox>
#include <QPalette>

namespace lumora_usb_encoder {

// Shows `caption` in a list without making it an entry: nothing is selected and the caption is
// the list's placeholder, so a screen reader reads it as the list's empty state.
inline void showListCaption(QComboBox* list, const QString& caption) {
    // Drawn as an ordinary selection: a greyed caption reads as a list that cannot be used.
    QPalette palette = list->palette();
    palette.setColor(QPalette::PlaceholderText, palette.color(QPalette::Text));
    list->setPalette(palette);
    list->setPlaceholderText(caption);
    list->setCurrentIndex(-1);
}

// Selects the entry at `index` without telling anybody it was chosen; an index the list has no
// entry for leaves the list showing its caption.
inline void selectListEntry(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

}  // namespace lumora_usb_encoder
