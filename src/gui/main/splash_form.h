#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace lumora_usb_encoder {

// The start-up picture. It closes (and deletes) itself on its timer's first tick.
class vorla_splash_form : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kShowMs = 3000;
    explicit vorla_splash_form(QWidget* parent = nullptr);

  private:
    void timer1_Tick();

    QLabel* pictureBox1;
    QTimer* timer1;
};

}  // namespace lumora_usb_encoder
