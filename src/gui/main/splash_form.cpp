#include "gui/main/splash_form.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/main/picture_files.h"

namespace lumora_usb_encoder {

vorla_splash_form::vorla_splash_form(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      pictureBox1(new QLabel(this)),
      timer1(new QTimer(this)) {
    setObjectName("vorla_splash_form");
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName("Quillon™ Configuration Utility is starting");
    setAccessibleDescription("Start-up picture; it closes by itself.");

    QPixmap picture = loadPicture("vorla_splash.png");
    pictureBox1->setObjectName("pictureBox1");
    pictureBox1->setPixmap(picture);
    pictureBox1->setScaledContents(true);
    pictureBox1->setAccessibleName("Vorla Quillon™");
    pictureBox1->setAccessibleDescription("Start-up picture of the keypad");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pictureBox1);
    // The thin border of a tool window, which a frameless window lacks.
    pictureBox1->setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(picture.isNull() ? QSize(480, 300) : picture.size() + QSize(2, 2));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    timer1->setObjectName("timer1");
    timer1->setInterval(kShowMs);
    connect(timer1, &QTimer::timeout, this, &vorla_splash_form::timer1_Tick);
    timer1->start();
}

void vorla_splash_form::timer1_Tick() {
    timer1->stop();
    close();
}

}  // namespace lumora_usb_encoder
