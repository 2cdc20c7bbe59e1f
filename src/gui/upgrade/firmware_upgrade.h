#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "device/device_watcher.h"
#include "device/keypad_hold.h"
#include "gui/window_worker.h"
#include "upgrade/restore_plan.h"

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QShowEvent;
class QPlainTextEdit;

namespace lumora_usb_encoder {

class KeypadService;
class QtUserInterface;

// The firmware upgrade window: finds the keypad's loader, lets the user pick an image, runs the
// core upgrade on a worker of its own and, after a success, writes the keypad's settings back.
// It holds no device sequence: the count, the programming and the restore are core functions.
// The keypad is the upgrade's from the start of the programming to the end of the restore
// ("Firmware upgrade in progress"); the loaders are counted on the window's own watch.
class firmware_upgrade : public QWidget {
    Q_OBJECT
  public:
    // `settingsFile`: where "FirmwareFile" goes and the upgrade backup lies beside (empty: none).
    firmware_upgrade(std::shared_ptr<KeypadService> service, std::string settingsFile,
                     QWidget* parent = nullptr);
    ~firmware_upgrade() override;

    void selectProduct(int product) { product_ = product; }

    // Shared by every window of the run.
    static inline std::string myVID;
    static inline std::string myPID;
    static inline std::string myDeviceIndex = "0";
    static inline uint32_t numberOfUSBDevicesConnected = 0;

    // A device change came while a worker was busy: count again once it is done.
    bool scanDeviceAgain = false;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    QWidget* buildFileGroup();
    void InitializeVidPidFirmware();
    void OnHandleCreated();
    void ParseMessages();
    void btnBrowse_Click();
    void btnUpgrade_MouseClick();
    void btnClose_MouseClick();
    void startCount();
    void backgroundWorkerCheckDevice_RunWorkerCompleted(bool error, uint32_t count);
    void backgroundWorker1_DoWork(const std::string& path, const std::string& backup,
                                  const std::optional<KeypadSettings>& settings, bool& result);
    void backgroundWorker1_ProgressChanged(int percent, const QString& text);
    void backgroundWorker1_RunWorkerCompleted(bool error, bool result);
    void restoreSettings();
    std::string backupPath() const;
    void appendLog(const QString& text);

    std::shared_ptr<KeypadService> service_;
    std::string settingsFile_;
    int product_ = 0;
    bool handleCreated_ = false;
    std::unique_ptr<QtUserInterface> ui_;
    KeypadHold upgrade_;  // from Upgrade to the end of the restore
    RestorePlan plan_;    // what the restore writes back, decided at Upgrade
    DeviceWatcher watcher_;
    WindowWorker backgroundWorkerCheckDevice;
    WindowWorker backgroundWorker1;

    QGroupBox* groupBox1 = nullptr;
    QLabel* label1 = nullptr;
    QPushButton* btnBrowse = nullptr;
    QLabel* label3 = nullptr;
    QLineEdit* filenameTextBox = nullptr;
    QPushButton* btnUpgrade = nullptr;
    QPushButton* btnClose = nullptr;
    QPlainTextEdit* statusBox = nullptr;
    QProgressBar* progressBar = nullptr;
    QLabel* label2 = nullptr;
    QLabel* vidLbl = nullptr;
    QLabel* label4 = nullptr;
    QLabel* pidLbl = nullptr;
    QLabel* labelNumOfDevices = nullptr;
};

}  // namespace lumora_usb_encoder
