// The firmware upgrade window: device changes, the count and upgrade workers, and the restore.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>

#include "device/keypad_service.h"
#include "firmware/bsl_library.h"
#include "gui/qt_user_interface.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"
#include "upgrade/upgrade_mode.h"
#include "upgrade/upgrade_progress.h"
#include "upgrade/upgrade_worker.h"

namespace lumora_usb_encoder {

namespace {

uint16_t hexValue(const std::string& text) {
    std::string digits = text.rfind("0x", 0) == 0 ? text.substr(2) : text;
    return static_cast<uint16_t>(std::stoul(digits, nullptr, 16));
}

QString logText(const std::string& text) {
    return QString::fromStdString(text).replace("\r\n", "\n");
}

}  // namespace

void firmware_upgrade::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!handleCreated_) {
        handleCreated_ = true;
        OnHandleCreated();
    }
}

void firmware_upgrade::OnHandleCreated() {
    // The watcher's thread only queues the change; the count starts here, on this thread.
    bool watching = watcher_.start([this](hid::BusEvent, const std::string&) {
        backgroundWorkerCheckDevice.post([this] { ParseMessages(); });
    });
    if (!watching) {
        labelNumOfDevices->setText("ERROR: Unable to register device");
        return;
    }
    startCount();
}

void firmware_upgrade::ParseMessages() {
    // The loader library is never entered by a count while the upgrade runs.
    if (backgroundWorkerCheckDevice.busy() || backgroundWorker1.busy()) {
        scanDeviceAgain = true;
        return;
    }
    startCount();
}

void firmware_upgrade::startCount() {
    auto count = std::make_shared<uint32_t>(0);
    uint16_t vid = hexValue(myVID);
    uint16_t pid = hexValue(myPID);
    backgroundWorkerCheckDevice.run(
        [count, vid, pid] { *count = BslLibrary::BSL_NumOfUSBDevices(vid, pid); },
        [this, count](bool error) {
            backgroundWorkerCheckDevice_RunWorkerCompleted(error, *count);
        });
}

void firmware_upgrade::backgroundWorkerCheckDevice_RunWorkerCompleted(bool error, uint32_t count) {
    if (!error) {
        numberOfUSBDevicesConnected = count;
        QString shown = count == 0   ? QString("No device connected")
                        : count == 1 ? QString("Found 1 device")
                                     : QString("Found %1 devices").arg(count);
        labelNumOfDevices->setText(shown);
        btnBrowse->setEnabled(count > 0);
        // A count finishing during the upgrade must not offer a second one.
        btnUpgrade->setEnabled(count > 0 && !backgroundWorker1.busy());
    }
    if (scanDeviceAgain && !backgroundWorker1.busy()) {
        scanDeviceAgain = false;
        startCount();
    }
}

void firmware_upgrade::btnUpgrade_MouseClick() {
    if (backgroundWorker1.busy()) {
        return;
    }
    upgrade_ = service_->hold(KeypadJob::FirmwareUpgrade, *ui_);
    if (!upgrade_) {
        ui_->warn(std::string("The keypad is busy: ") + jobRunningText(*service_->holder()) + ".",
                  kCaptionQuillon);
        return;
    }
    btnUpgrade->setEnabled(false);
    statusBox->setPlainText(logText("Starting\r\n"));
    progressBar->setValue(0);
    // Decided before the flash can change: the backup must hold these by then.
    plan_ = planFromCapture(upgradeCapture(), backupPath());
    std::string path = filenameTextBox->text().toStdString();
    auto result = std::make_shared<bool>(false);
    backgroundWorker1.run(
        [this, path, result, backup = backupPath(), settings = plan_.settings] {
            backgroundWorker1_DoWork(path, backup, settings, *result);
        },
        [this, result](bool error) { backgroundWorker1_RunWorkerCompleted(error, *result); });
}

// On the upgrade worker's thread: everything it tells the window goes through queued reports.
void firmware_upgrade::backgroundWorker1_DoWork(const std::string& path, const std::string& backup,
                                                const std::optional<KeypadSettings>& settings,
                                                bool& result) {
    UpgradeProgress progress([this](int percent, const std::string& text) {
        backgroundWorker1.post([this, percent, text = logText(text)] {
            backgroundWorker1_ProgressChanged(percent, text);
        });
    });
    progress.planFor(path);
    ProgressBslLibrary bsl(progress);
    UpgradeWorker worker;
    worker.ReportProgress = [&progress](int percent, const std::string& text) {
        progress.report(percent, text);
    };
    worker.BeforeFlashChange = [&backup, &settings] {
        return keepBackupForFlashChange(backup, settings);
    };
    runUpgradeWorker(bsl, {path, ""}, worker);
    result = worker.Result;
}

void firmware_upgrade::backgroundWorker1_ProgressChanged(int percent, const QString& text) {
    progressBar->setValue(percent);
    if (!text.isEmpty()) {
        appendLog(text);
    }
}

void firmware_upgrade::appendLog(const QString& text) {
    statusBox->moveCursor(QTextCursor::End);
    statusBox->insertPlainText(text);
    statusBox->verticalScrollBar()->setValue(statusBox->verticalScrollBar()->maximum());
}

void firmware_upgrade::backgroundWorker1_RunWorkerCompleted(bool error, bool result) {
    if (error || !result) {
        upgrade_.say("Firmware upgrade failed");
        upgrade_.release();
    }
    if (error) {
        return;
    }
    if (!result) {
        // The Upgrade button then shows whether a loader is still there to try again with.
        ParseMessages();
        return;
    }
    restoreSettings();
    upgrade_.release();
    if (scanDeviceAgain && !backgroundWorkerCheckDevice.busy()) {
        scanDeviceAgain = false;
        startCount();
    }
}

// On this thread, as the keypad's other windows send theirs; the busy cursor stands over the
// restart waits, during which the window does not answer.
void firmware_upgrade::restoreSettings() {
    BusyScope busy(*ui_);
    // "Done!" ends without a line break; what the restore says starts on a line of its own.
    auto log = [this](int, const std::string& text) {
        if (!statusBox->toPlainText().endsWith('\n')) {
            appendLog("\n");
        }
        appendLog(logText(text));
    };
    if (restoreAfterProgramming(plan_, backupPath(), upgrade_.ui(), log) == UpgradeOutcome::Done) {
        upgrade_.say("Firmware upgraded");
    }
}

std::string firmware_upgrade::backupPath() const {
    return settingsFile_.empty() ? "" : upgradeBackupPath(settingsFile_);
}

}  // namespace lumora_usb_encoder
