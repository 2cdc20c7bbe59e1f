#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTextBrowser;
class QUrl;

namespace lumora_usb_encoder {

// The about window: program name, version, part number and the maker's notice.
class about : public QWidget {
    Q_OBJECT
  public:
    explicit about(QWidget* parent = nullptr);

    // Read from the version record by each about window as it loads.
    static QString versionNo;
    static QString partNo;

  private:
    void buildControls();
    void about_Load();
    void button2_Click();
    void richTextBox1_LinkClicked(const QUrl& link);

    QLabel* pictureBox1;
    QLabel* label1;
    QLabel* versionLbl;
    QLabel* label3;
    QLabel* partNoLbl;
    QLabel* label2;
    QTextBrowser* richTextBox1;
    QPushButton* button2;
};

}  // namespace lumora_usb_encoder
