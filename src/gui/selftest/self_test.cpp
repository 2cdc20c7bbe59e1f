#include "gui/selftest/self_test.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "device/keypad_service.h"
#include "gui/accessible_window.h"
#include "gui/qt_user_interface.h"
#include "gui/selftest/key_colours.h"
#include "gui/selftest/test_sound.h"
#include "gui/selftest/usage_keys.h"
#include "selftest/key_layout.h"

namespace lumora_usb_encoder {

using selftest::CheckBox;
using selftest::Label;

namespace {

// What a screen reader calls the three stages that have a row of their own.
constexpr const char* kStageNames[] = {"LED flash", "LED brightness steps", "Buzzer"};
constexpr const char* kNotYetPressed = "not yet pressed";
constexpr const char* kPressed = "pressed";

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setEnabled(false);  // greyed: the stages' labels only show what runs
    label->setAutoFillBackground(true);
    // Grey, yet dark enough to read on the light green of a running stage.
    QPalette palette = label->palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(80, 80, 80));
    label->setPalette(palette);
    return label;
}

QCheckBox* makeBox(QWidget* parent, const char* name, const QString& accessibleName) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);  // ticked by the test, not by hand
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

// "Key 3"; the small keypads' jack pictures "Jack in" and "Jack out".
QString pictureName(const selftest::KeyPicture& picture) {
    QString text = QString::fromStdString(picture.text);
    if (text.isEmpty() || text.front().isDigit()) {
        return "Key " + text;
    }
    return text.front().toUpper() + text.mid(1);
}

void setBackground(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
}

}  // namespace

self_test::self_test(std::shared_ptr<KeypadService> service, QWidget* parent)
    : QWidget(parent), service_(std::move(service)), ui_(std::make_unique<QtUserInterface>(this)) {
    exposeAsDialog(this);  // before anything a screen reader could be told
    setObjectName("self_test");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Self Test");
    setWindowIcon(QIcon());
    setAccessibleName(windowTitle());
    setAccessibleDescription("Flashes the LED, sounds the buzzer and shows the keys pressed");
    buildControls();
    service_->addParticipant(this);
    qApp->installEventFilter(this);  // the window sees every key before its controls do
    InitializeSelfTest();
}

void self_test::buildControls() {
    auto* grid = new QGridLayout(this);
    label3 = new QLabel("SELF TEST", this);
    label3->setObjectName("label3");
    QFont heading = label3->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 4);
    label3->setFont(heading);
    grid->addWidget(label3, 0, 0, 1, 3, Qt::AlignHCenter);

    ledLbl = makeLabel(this, "ledLbl", "Testing Led");
    ledColourLbl = makeLabel(this, "ledColourLbl", "LED");
    ledCheckBox = makeBox(this, "ledCheckBox", kStageNames[0]);
    ledBrightnessLbl = makeLabel(this, "ledBrightnessLbl", "Testing Led Brightness ");
    ledLevelLbl = makeLabel(this, "ledLevelLbl", "");
    brightnessCheckBox = makeBox(this, "brightnessCheckBox", kStageNames[1]);
    buzzerLbl = makeLabel(this, "buzzerLbl", "Testing Buzzer Period");
    buzzerPeriodLbl = makeLabel(this, "buzzerPeriodLbl", "");
    buzzerCheckBox = makeBox(this, "buzzerCheckBox", kStageNames[2]);
    ledColourLbl->setAccessibleDescription("LED colour");
    ledLevelLbl->setAccessibleDescription("LED brightness level");
    buzzerPeriodLbl->setAccessibleDescription("Buzzer setting");
    QWidget* rows[3][3] = {{ledLbl, ledColourLbl, ledCheckBox},
                           {ledBrightnessLbl, ledLevelLbl, brightnessCheckBox},
                           {buzzerLbl, buzzerPeriodLbl, buzzerCheckBox}};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            grid->addWidget(rows[row][column], row + 1, column);
        }
    }

    keyGrid = new QGridLayout;
    grid->addLayout(keyGrid, 4, 0, 1, 3);

    label1 = makeLabel(this, "label1", "Test Audio");
    grid->addWidget(label1, 5, 0);
    // The sound module is loaded now, when the window opens, and never at the program's start.
    axWindowsMediaPlayer1 =
        new TestSoundPlayer("Audio Test.MP3", TestSoundPlayer::soundModule(), this);
    grid->addWidget(axWindowsMediaPlayer1, 5, 1);
    label1->setBuddy(axWindowsMediaPlayer1);
    endBtn = new QPushButton("Close", this);
    endBtn->setObjectName("endBtn");
    endBtn->setAccessibleDescription("Ends the test and puts the keypad's settings back");
    connect(endBtn, &QPushButton::clicked, this, &self_test::endBtn_MouseClick_1);
    grid->addWidget(endBtn, 5, 2);
}

void self_test::InitializeSelfTest() {
    closeForm = false;
    backGroundColour = endBtn->palette().color(QPalette::Button);
    for (QLabel* label :
         {ledLbl, ledColourLbl, ledBrightnessLbl, ledLevelLbl, buzzerLbl, buzzerPeriodLbl}) {
        setBackground(label, backGroundColour);
    }
    for (QCheckBox* box : {ledCheckBox, brightnessCheckBox, buzzerCheckBox}) {
        box->setChecked(false);
    }
    for (int stage = 0; stage < 3; ++stage) {
        tellStage(stage, "not started");
    }
    hold_ = service_->hold(KeypadJob::SelfTest, *ui_);
    if (hold_) {
        start_ = selftest::GetDeviceStatusMessage();
    }
    if (!start_) {
        hold_.ui().warn(selftest::kStatusErrorMessage, kCaptionEncoder);
        hold_.release();
        return;
    }
    ledColourLbl->setText(QString::fromStdString(selftest::ledColourName(start_->ledColour_index)));
    ledLevelLbl->setText(QString::number(start_->ledBrightness_index));
    buzzerPeriodLbl->setText(QString::number(start_->buzzerPeriod_index));
    showKeyLayout(start_->keypadType_index, start_->options_fitted);
    keyMap_ =
        selftest::keyMapFor(start_->keypadType_index, start_->options_fitted, start_->codeTable);
    backgroundWorker1.run([this] { backgroundWorker1_DoWork(); },
                          [this](bool) { backgroundWorker1_RunWorkerCompleted(); });
}

void self_test::showKeyLayout(uint8_t keypadType, uint8_t options) {
    // Only the pictures of this keypad are made: a hidden one would still be met by a screen
    // reader, as a button without a name.
    for (const auto& picture : selftest::keyLayout(keypadType, options)) {
        auto* button = new QPushButton(QString::fromStdString(picture.text), this);
        button->setObjectName(QString("button%1").arg(picture.button));
        button->setFocusPolicy(Qt::NoFocus);  // pictures: they show colours and take nothing
        button->setMinimumSize(64, 48);
        button->setAccessibleName(pictureName(picture));
        button->setAccessibleDescription(kNotYetPressed);
        paintKey(button, picture.grey ? QColor(Qt::gray) : backGroundColour);
        keyGrid->addWidget(button, (picture.button - 1) / 4, (picture.button - 1) % 4);
        keyButtons[static_cast<size_t>(picture.button - 1)] = button;
    }
}

QLabel* self_test::labelFor(Label label) const {
    const std::array<QLabel*, 6> labels = {ledLbl,      ledColourLbl, ledBrightnessLbl,
                                           ledLevelLbl, buzzerLbl,    buzzerPeriodLbl};
    return labels.at(static_cast<size_t>(label));
}

void self_test::AddTextToObject(Label label, const QString& text) {
    labelFor(label)->setText(text);
}

void self_test::AmendCheckBox(CheckBox box) {
    const std::array<QCheckBox*, 3> boxes = {ledCheckBox, brightnessCheckBox, buzzerCheckBox};
    boxes.at(static_cast<size_t>(box))->setChecked(true);
    tellStage(static_cast<int>(box), "done");
}

void self_test::highlight(Label label) {
    setBackground(labelFor(label), QColor("lightgreen"));
    // The first label of each row is its heading: lit, its stage has begun.
    int index = static_cast<int>(label);
    if (index % 2 == 0) {
        tellStage(index / 2, "running");
    }
}

void self_test::tellStage(int stage, const char* state) {
    const std::array<QLabel*, 3> headings = {ledLbl, ledBrightnessLbl, buzzerLbl};
    const std::array<QCheckBox*, 3> boxes = {ledCheckBox, brightnessCheckBox, buzzerCheckBox};
    QString text = QString("%1: %2").arg(kStageNames[stage], state);
    headings.at(static_cast<size_t>(stage))->setAccessibleDescription(text);
    boxes.at(static_cast<size_t>(stage))->setAccessibleDescription(text);
}

bool self_test::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        OnKeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    return true;  // every key is the test's: none reaches a control
}

void self_test::OnKeyDown(int key) {
    if (auto usage = usageForQtKey(key)) {
        for (const auto& hit : keyMap_.hits(*usage)) {
            lightKey(hit);
        }
    }
}

void self_test::lightKey(const selftest::KeyHit& hit) {
    QPushButton* button = keyButtons.at(static_cast<size_t>(hit.button - 1));
    if (button == nullptr) {
        return;  // a place this keypad leaves empty
    }
    paintKey(button, keyMap_.functionKeyTable() ? functionKeyColour(hit.key) : seenKeyColour());
    button->setAccessibleDescription(kPressed);
}

}  // namespace lumora_usb_encoder
