// The firmware upgrade window: its controls, the image choice and closing.
#include "gui/upgrade/firmware_upgrade.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "firmware/firmware_resources.h"
#include "firmware/programming_sequence.h"
#include "gui/accessible_window.h"
#include "gui/file_dialogs.h"
#include "gui/qt_user_interface.h"
#include "settings/config_files.h"
#include "settings/settings_file.h"

namespace lumora_usb_encoder {

namespace {

QPushButton* largeButton(const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    QFont font = button->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    button->setFont(font);
    button->setMinimumHeight(40);
    return button;
}

QLabel* namedLabel(const QString& text, const char* name) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    return label;
}

}  // namespace

firmware_upgrade::firmware_upgrade(std::shared_ptr<KeypadService> service, std::string settingsFile,
                                   QWidget* parent)
    : QWidget(parent),
      service_(std::move(service)),
      settingsFile_(std::move(settingsFile)),
      ui_(std::make_unique<QtUserInterface>(this)) {
    exposeAsDialog(this);  // before anything a screen reader could be told
    setObjectName("firmware_upgrade");
    setWindowTitle("Vorla Quillon™ Firmware Upgrade");
    setAccessibleName(windowTitle());
    setAccessibleDescription(
        "Programs a new firmware image into the keypad and puts its settings "
        "back");
    buildControls();
    InitializeVidPidFirmware();
    setFixedSize(sizeHint());
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

firmware_upgrade::~firmware_upgrade() {
    // No notification and no worker may reach this window once it is gone.
    watcher_.stop();
    backgroundWorkerCheckDevice.stop();
    backgroundWorker1.stop();
}

QWidget* firmware_upgrade::buildFileGroup() {
    groupBox1 = new QGroupBox("Select which firmware to download");
    groupBox1->setObjectName("groupBox1");
    label1 = namedLabel("Select Firmware", "label1");
    btnBrowse = new QPushButton("&Browse");
    btnBrowse->setObjectName("btnBrowse");
    btnBrowse->setEnabled(false);
    btnBrowse->setAccessibleDescription("Choose the firmware image file (TI-TXT) to program");
    label3 = namedLabel("File to download", "label3");
    filenameTextBox = new QLineEdit;
    filenameTextBox->setObjectName("filenameTextBox");
    filenameTextBox->setReadOnly(true);
    filenameTextBox->setMinimumWidth(360);
    filenameTextBox->setAccessibleName("File to download");
    auto* grid = new QGridLayout(groupBox1);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(btnBrowse, 0, 1, Qt::AlignLeft);
    grid->addWidget(label3, 1, 0);
    grid->addWidget(filenameTextBox, 1, 1);
    connect(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowse_Click(); });
    return groupBox1;
}

void firmware_upgrade::buildControls() {
    btnUpgrade = largeButton("Upgrade Firmware", "btnUpgrade");
    btnUpgrade->setEnabled(false);
    btnUpgrade->setAccessibleDescription(
        "Programs the chosen image into the keypad, then puts the keypad's settings back");
    btnClose = largeButton("&Close", "btnClose");
    btnClose->setAccessibleDescription("Closes this window; refused while an upgrade runs");
    statusBox = new QPlainTextEdit;
    statusBox->setObjectName("statusBox");
    statusBox->setReadOnly(true);
    statusBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    statusBox->setBackgroundRole(QPalette::Window);
    statusBox->setAccessibleName("Upgrade log");
    statusBox->setAccessibleDescription("empty");
    // The log's last line is what the upgrade is doing now: a screen reader gets it without
    // walking the whole log.
    connect(statusBox, &QPlainTextEdit::textChanged, this, [this] {
        QStringList lines = statusBox->toPlainText().split('\n', Qt::SkipEmptyParts);
        statusBox->setAccessibleDescription(lines.isEmpty() ? QString("empty") : lines.last());
    });
    statusBox->setMinimumHeight(180);
    progressBar = new QProgressBar;
    progressBar->setObjectName("progressBar");
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setAccessibleName("Upgrade progress");
    progressBar->setAccessibleDescription("Percent of the upgrade done");
    label2 = namedLabel("VID", "label2");
    vidLbl = namedLabel("", "vidLbl");
    label4 = namedLabel("PID", "label4");
    pidLbl = namedLabel("", "pidLbl");
    labelNumOfDevices = namedLabel("Searching for devices", "labelNumOfDevices");
    labelNumOfDevices->setAccessibleDescription("Keypads waiting in their firmware loader");

    auto* ids = new QHBoxLayout;
    for (QLabel* label : {label2, vidLbl, label4, pidLbl}) {
        ids->addWidget(label);
    }
    ids->addStretch();
    ids->addWidget(labelNumOfDevices);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnUpgrade);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFileGroup());
    layout->addLayout(buttons);
    layout->addWidget(statusBox);
    layout->addWidget(progressBar);
    layout->addLayout(ids);
    // Reached by mouse and keyboard alike: an upgrade must not be out of reach without a mouse.
    connect(btnUpgrade, &QPushButton::clicked, this, [this] { btnUpgrade_MouseClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnClose_MouseClick(); });
}

void firmware_upgrade::InitializeVidPidFirmware() {
    myVID = padHexStringValue(Firmware::item("VID").value_or(""));
    myPID = padHexStringValue(Firmware::item("PID").value_or(""));
    vidLbl->setText(QString::fromStdString(myVID));
    pidLbl->setText(QString::fromStdString(myPID));
}

void firmware_upgrade::btnBrowse_Click() {
    auto chosen = FileDialogs::chooseOpenFile(this, "(*.txt)|*.txt|All files (*.*)|*.*", "");
    if (!chosen) {
        return;
    }
    filenameTextBox->setText(*chosen);
    if (!settingsFile_.empty()) {
        (void)SetSettings(*ui_, settingsFile_, "FirmwareFile",
                          QFileInfo(*chosen).fileName().toStdString());
    }
}

void firmware_upgrade::btnClose_MouseClick() {
    close();
}

void firmware_upgrade::closeEvent(QCloseEvent* event) {
    // Leaving now would leave the keypad half-programmed, with nothing to finish the job.
    if (backgroundWorker1.busy()) {
        ui_->warn("The firmware upgrade is in progress. Close this window once it has finished.",
                  kCaptionQuillon);
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace lumora_usb_encoder
