#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QVBoxLayout>

#include "gui/main/form1.h"

#include "device/keypad_service.h"
#include "gui/main/list_caption.h"
#include "gui/qt_user_interface.h"
#include "gui/window_worker.h"

namespace lumora_usb_encoder {

namespace {

const QStringList kBrightnessEntries = {
    "LED Brightness - 0", "LED Brightness - 1", "LED Brightness - 2", "LED Brightness - 3",
    "LED Brightness - 4", "LED Brightness - 5", "LED Brightness - 6", "LED Brightness - 7",
    "LED Brightness - 8", "LED Brightness - 9"};
const QStringList kPeriodEntries = {"Buzzer Period -1", "Buzzer Period -2", "Buzzer Period -3",
                                    "Buzzer Period -4", "Buzzer Period -5", "Buzzer Period -6",
                                    "Buzzer Period -7", "Buzzer Period -8", "Buzzer Period -9"};

QStringList keypadTypeList() {
    QStringList entries;
    for (const char* entry : keypadTypeEntries) {
        entries << QString::fromUtf8(entry);
    }
    return entries;
}

}  // namespace

Form1::Form1(std::string settingsFile, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<QtUserInterface>(this)),
      quit_([] { QCoreApplication::quit(); }),
      FileName_(std::move(settingsFile)),
      service_(std::make_shared<KeypadService>()),
      worker_(std::make_unique<WindowWorker>()) {
    setObjectName("Form1");
    setWindowTitle("Vorla Quillon™ Configuration Utility");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAccessibleName(windowTitle());
    setAccessibleDescription("Shows the connected keypad and changes its settings");
    buildControls();
    buildMenus();
    setTabOrderAll();
    setFixedSize(sizeHint());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    subscription_ =
        service_->subscribe([this](const KeypadState& state) { keypadStateChanged(state); });
}

// The windows it opened may outlive it with the service; no change reaches this one.
Form1::~Form1() {
    service_->stopFollowing();
    service_->unsubscribe(subscription_);
}

UserInterface& Form1::ui() {
    return *ui_;
}

void Form1::buildControls() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    label1 = new QLabel("Vorla Quillon™ Configuration Utility", central);
    label1->setObjectName("label1");
    label1->setStyleSheet("font-size: 16pt; font-weight: bold;");
    label1->setAlignment(Qt::AlignCenter);
    label1->setAccessibleName(label1->text());

    richTextBox1 = new QTextEdit(central);
    richTextBox1->setObjectName("richTextBox1");
    richTextBox1->setReadOnly(true);
    richTextBox1->setLineWrapMode(QTextEdit::NoWrap);
    // Reachable with Tab, so that someone listening can have the status read out.
    richTextBox1->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    richTextBox1->setStyleSheet("QTextEdit { color: #6d6d6d; background: #e0ffff; }");
    richTextBox1->setFixedSize(760, 72);
    richTextBox1->setAccessibleName("Keypad status");
    richTextBox1->setAccessibleDescription(
        "Whether a keypad is connected, its firmware version, variant, code table and serial "
        "number");

    auto* row = new QHBoxLayout;
    row->addWidget(buildListsColumn());
    row->addWidget(buildButtonsColumn());
    column->addWidget(label1);
    column->addWidget(richTextBox1);
    column->addLayout(row);
    setCentralWidget(central);

    statusStrip1 = new QStatusBar(this);
    statusStrip1->setObjectName("statusStrip1");
    statusStrip1->setSizeGripEnabled(false);
    setStatusBar(statusStrip1);
}

QWidget* Form1::buildListsColumn() {
    auto* box = new QWidget(this);
    auto* lists = new QVBoxLayout(box);
    ledBrightnessCbox =
        makeList("ledBrightnessCbox", kBrightnessEntries, "LED Brightness - 0", "LED brightness");
    ledColourCbox =
        makeList("ledColourCbox", {"LED Colour - White"}, "LED Colour - White", "LED colour");
    buzzerCbox = makeList("buzzerCbox", {"Buzzer - Off", "Buzzer - On"}, "Buzzer - Off", "Buzzer");
    buzzerPeriodCbox =
        makeList("buzzerPeriodCbox", kPeriodEntries, "Buzzer Period -0", "Buzzer period");
    keypadTypeCbox =
        makeList("keypadTypeCbox", keypadTypeList(), "Quillon™ - Layout", "Code table");
    for (auto* list :
         {ledBrightnessCbox, ledColourCbox, buzzerCbox, buzzerPeriodCbox, keypadTypeCbox}) {
        list->setParent(box);
        lists->addWidget(list);
    }
    lists->addStretch();
    connect(ledBrightnessCbox, &QComboBox::activated, this,
            &Form1::ledBrightnessCbox_SelectionChangeCommitted);
    connect(ledColourCbox, &QComboBox::activated, this,
            &Form1::ledColourCbox_SelectionChangeCommitted);
    connect(buzzerCbox, &QComboBox::activated, this, &Form1::buzzerCbox_SelectionChangeCommitted);
    connect(buzzerPeriodCbox, &QComboBox::activated, this,
            &Form1::buzzerPeriodCbox_SelectionChangeCommitted);
    connect(keypadTypeCbox, &QComboBox::activated, this,
            &Form1::keypadTypeCbox_SelectionChangeCommitted);
    return box;
}

QWidget* Form1::buildButtonsColumn() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    button11 = makeButton("button11", "Scan For Device", "Looks for the keypad and reads it again");
    button1 = makeButton("button1", "Customise Code Table",
                         "Opens the editor for the keypad's customised code table");
    button8 = makeButton("button8", "Save Changes",
                         "Makes the current settings the keypad's defaults and saves them");
    button9 =
        makeButton("button9", "Reset To Factory Default", "Restores the keypad's factory settings");
    button3 = makeButton("button3", "Reset From Configuration File",
                         "Sends the saved settings back to the keypad");
    button2 = makeButton("button2", "Test Quillon™", "Opens the keypad self test");
    btnLoadFirmware = makeButton("btnLoadFirmware", "Update Quillon™ Keypad Firmware",
                                 "Puts the keypad into firmware upgrade mode");
    button10 = makeButton("button10", "Exit", "Closes the keypad and ends the program");
    QPushButton* order[] = {button11, button1, button8,         button9,
                            button3,  button2, btnLoadFirmware, button10};
    for (int i = 0; i < 8; ++i) {
        QPushButton* button = order[i];
        button->setParent(box);
        grid->addWidget(button, i % 4, i / 4);
    }
    for (auto* button : {button1, button8, button9, button2}) {
        button->setEnabled(false);
    }
    connect(button11, &QPushButton::clicked, this, &Form1::button11_Click);
    connect(button1, &QPushButton::clicked, this, &Form1::button1_Click);
    connect(button8, &QPushButton::clicked, this, &Form1::button8_Click);
    connect(button9, &QPushButton::clicked, this, &Form1::button9_Click);
    connect(button3, &QPushButton::clicked, this, &Form1::button3_Click);
    connect(button2, &QPushButton::clicked, this, &Form1::button2_Click);
    connect(btnLoadFirmware, &QPushButton::clicked, this, &Form1::btnLoadFirmware_MouseClick);
    connect(button10, &QPushButton::clicked, this, &Form1::button10_Click);
    return box;
}

QComboBox* Form1::makeList(const char* name, const QStringList& entries, const QString& shown,
                           const QString& accessibleName) {
    auto* list = new QComboBox(this);
    list->setObjectName(name);
    list->addItems(entries);
    list->setEditable(false);
    list->setMinimumWidth(200);
    list->setEnabled(false);
    list->setAccessibleName(accessibleName);
    list->setAccessibleDescription(
        "Sent to the keypad as soon as you choose an entry; Alt+Down or F4 opens the list");
    // The list's view is made when it first opens (see eventFilter); making five views here
    // would cost the start-up a tenth of its time.
    list->installEventFilter(this);
    if (auto at = static_cast<int>(entries.indexOf(shown)); at >= 0) {
        list->setCurrentIndex(at);
    } else {
        showListCaption(list, shown);
    }
    return list;
}

QPushButton* Form1::makeButton(const char* name, const QString& text, const QString& description) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setMinimumWidth(230);
    button->setAccessibleName(text);
    button->setAccessibleDescription(description);
    return button;
}

void Form1::setTabOrderAll() {
    QWidget* order[] = {richTextBox1,    button11,         ledBrightnessCbox, ledColourCbox,
                        buzzerCbox,      buzzerPeriodCbox, keypadTypeCbox,    button1,
                        button8,         button9,          button3,           button2,
                        btnLoadFirmware, button10};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

}  // namespace lumora_usb_encoder
