// Creating and laying out the editor's controls; the family table decides what goes where.
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "codetable/modifier_list.h"
#include "gui/editors/code_table_editor_window.h"
#include "gui/editors/editor_colours.h"
#include "gui/editors/key_button.h"
#include "gui/editors/keypad_picture.h"
#include "gui/editors/keypad_picture_layout.h"

namespace lumora_usb_encoder {

namespace {

constexpr int kKeyWidth = 72;
constexpr int kModifierWidth = 96;
constexpr int kButtonHeight = 40;
constexpr int kPictureKeys = 8;

QComboBox* makeList(QWidget* owner, const char* name, const char* placeholder) {
    auto* list = new QComboBox(owner);
    list->setObjectName(name);
    list->setPlaceholderText(placeholder);
    list->setCurrentIndex(-1);
    // Showing one list and hiding the other must not move the buttons beside them.
    QSizePolicy policy = list->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    list->setSizePolicy(policy);
    return list;
}

QPushButton* makeButton(QWidget* owner, const char* name, const char* text) {
    auto* button = new QPushButton(text, owner);
    button->setObjectName(name);
    return button;
}

}  // namespace

void CodeTableEditorWindow::createKeyButtons() {
    for (int n = 1; n <= editor_.keyCount(); ++n) {
        auto* key = new KeyButton(QString("Key %1").arg(n), this);
        key->setObjectName(QString("key%1Btn").arg(n));
        key->setBackColour(unselectedColour());
        connect(key, &QPushButton::clicked, this, [this, n] { keyBtn_Click(n); });
        auto* modifier = new QPushButton("None", this);
        modifier->setObjectName(QString("modifierBtn%1").arg(n));
        connect(modifier, &QPushButton::clicked, this, [this, n] { modifierBtn_Click(n); });
        keyButtons_.push_back(key);
        modifierButtons_.push_back(modifier);
        firstColours_.push_back(unselectedColour());
        untouched_.push_back(true);
    }
}

void CodeTableEditorWindow::createLists() {
    selectCodeCbox_ = makeList(this, "selectCodeCbox", "Select Code");
    for (const char* label : usageLabels(editor_.family().edition)) {
        selectCodeCbox_->addItem(QString::fromUtf8(label));
    }
    selectCodeCbox_->setCurrentIndex(-1);
    selectModifierCbox_ = makeList(this, "selectModifierCbox", "Modifier");
    for (const char* label : kModifierLabels) {
        selectModifierCbox_->addItem(QString::fromUtf8(label));
    }
    selectModifierCbox_->setCurrentIndex(-1);
    connect(selectCodeCbox_, &QComboBox::activated, this,
            &CodeTableEditorWindow::selectCodeCbox_SelectionChangeCommitted);
    connect(selectModifierCbox_, &QComboBox::activated, this,
            &CodeTableEditorWindow::selectModifierCbox_SelectionChangeCommitted);
}

void CodeTableEditorWindow::buildLayout(int noOfWayKeypad) {
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QString::fromUtf8(editor_.family().heading), this);
    heading->setObjectName("label1");
    heading->setAlignment(Qt::AlignCenter);
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading);
    layout->addWidget(editor_.family().arrangement == KeyArrangement::Grid
                          ? createGridArea()
                          : createPictureArea(noOfWayKeypad));
    layout->addWidget(createButtonRow());
    fitWindowSize();
}

QWidget* CodeTableEditorWindow::createGridArea() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(10);
    int columns = editor_.family().columns;
    for (int index = 0; index < editor_.keyCount(); ++index) {
        auto* cell = new QHBoxLayout;
        cell->setSpacing(2);
        modifierButtons_[index]->setFixedSize(kModifierWidth, kButtonHeight);
        keyButtons_[index]->setFixedSize(kKeyWidth, kButtonHeight);
        cell->addWidget(modifierButtons_[index]);
        cell->addWidget(keyButtons_[index]);
        grid->addLayout(cell, index / columns, index % columns);
    }
    return area;
}

QWidget* CodeTableEditorWindow::createPictureArea(int noOfWayKeypad) {
    const auto& variant = smallKeypadVariant(noOfWayKeypad);
    auto* area = new QWidget(this);
    auto* row = new QHBoxLayout(area);
    pictureBox1_ = new QLabel(area);
    pictureBox1_->setObjectName("pictureBox1");
    pictureBox1_->setFixedSize(kKeypadPictureWidth, kKeypadPictureHeight);
    pictureBox1_->setPixmap(loadKeypadPicture(variant.pictureFile));
    for (int index = 0; index < kPictureKeys; ++index) {
        const PictureRect& place = kPictureKeyRects[static_cast<size_t>(index)];
        KeyButton& key = *keyButtons_[index];
        key.setParent(pictureBox1_);
        key.setGeometry(place.x, place.y, place.width, place.height);
        EmbedButtonInParvoPicture(key, *pictureBox1_);
        firstColours_[index] = Qt::transparent;  // the picture alone until the key is touched
        QPushButton& modifier = *modifierButtons_[index];
        modifier.setParent(pictureBox1_);
        modifier.setGeometry(place.x, place.y - kModifierButtonGap - kModifierButtonHeight,
                             place.width, kModifierButtonHeight);
        bool hidden = (variant.hiddenKeys >> index) & 1U;
        key.setHidden(hidden);
        modifier.setHidden(hidden);
    }
    auto* jacks = new QVBoxLayout;
    jacks->addWidget(createJackBox("groupBox1", "JACK IN", 9));
    jacks->addWidget(createJackBox("groupBox2", "JACK OUT", 10));
    jacks->addStretch();
    row->addWidget(pictureBox1_);
    row->addLayout(jacks);
    keyButtons_[8]->setText("   Jack     IN");
    firstColours_[8] = jackInColour();
    keyButtons_[9]->setText("Jack OUT");
    firstColours_[9] = jackOutColour();
    return area;
}

QGroupBox* CodeTableEditorWindow::createJackBox(const char* name, const char* title, int key) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(name);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, jackBoxColour());
    box->setPalette(palette);
    auto* column = new QVBoxLayout(box);
    auto index = key - 1;
    modifierButtons_[index]->setFixedSize(kModifierWidth, kModifierButtonHeight);
    keyButtons_[index]->setFixedSize(kModifierWidth, kButtonHeight);
    column->addWidget(modifierButtons_[index]);
    column->addWidget(keyButtons_[index]);
    return box;
}

QWidget* CodeTableEditorWindow::createButtonRow() {
    auto* area = new QWidget(this);
    auto* row = new QHBoxLayout(area);
    row->addWidget(selectModifierCbox_);
    row->addWidget(selectCodeCbox_);
    row->addStretch();
    auto* reset = makeButton(area, "resetBtn", "Reset");
    auto* apply = makeButton(area, "applyBtn", "Apply");
    auto* exit = makeButton(area, "exitBtn", "Close");
    connect(reset, &QPushButton::clicked, this, &CodeTableEditorWindow::resetBtn_Click);
    connect(apply, &QPushButton::clicked, this, &CodeTableEditorWindow::applyBtn_Click);
    connect(exit, &QPushButton::clicked, this, &CodeTableEditorWindow::exitBtn_Click);
    row->addWidget(reset);
    row->addWidget(apply);
    row->addWidget(exit);
    windowButtons_ = {reset, apply, exit};
    return area;
}

void CodeTableEditorWindow::fitWindowSize() {
    if (!editor_.family().resizable) {
        layout()->setSizeConstraint(QLayout::SetFixedSize);
        return;
    }
    QSize natural = layout()->sizeHint();
    setMinimumSize(natural);
    setMaximumSize(natural + QSize(240, 180));
}

}  // namespace lumora_usb_encoder
