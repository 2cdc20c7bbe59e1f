// The about window, opened from the main window's Help menu, and the splash.
#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include "gui/main/about_window.h"
#include "gui/main/form1.h"
#include "gui/main/splash_form.h"
#include "gui_world.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

class AboutTest : public QObject {
    Q_OBJECT

    static QList<about*> aboutWindows() {
        QList<about*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<about*>(widget); window && window->isVisible()) {
                windows << window;
            }
        }
        return windows;
    }

  private slots:
    void cleanup() {
        for (about* window : aboutWindows()) {
            delete window;
        }
    }

    void eachMenuChoiceOpensOneMoreWindowWithoutTouchingTheKeypad() {
        GuiWorld world("absent=1");
        Form1 form(world.settingsFile());
        form.move(40, 50);
        auto* item = form.findChild<QAction*>("aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1");
        QVERIFY(item);
        QCOMPARE(item->text(), QString("About Quillon™ Configuration Utility"));
        item->trigger();
        item->trigger();
        QCOMPARE(aboutWindows().size(), 2);
        QCOMPARE(aboutWindows().front()->pos(), form.pos());
        QCOMPARE(world.counting->calls.load(), 0);
        QCOMPARE(world.shownTexts(), QStringList());
    }

    void showsTheVersionRecordAndClosesOnItsButton() {
        QPointer<about> window = new about;
        QCOMPARE(window->windowTitle(), QString("About Quillon™ Configuration Utility"));
        QCOMPARE(window->findChild<QLabel*>("versionLbl")->text(), QString("Version 7.2"));
        QCOMPARE(window->findChild<QLabel*>("partNoLbl")->text(), QString("Quillon™-SW01"));
        QCOMPARE(window->findChild<QLabel*>("label3")->text(), QString("Part No "));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->findChild<QTextBrowser*>("richTextBox1")
                    ->toPlainText()
                    .startsWith("This software works with Vorla's  Quillon™.\n"));
        QVERIFY(!window->findChild<QLabel*>("pictureBox1")->pixmap().isNull());
        window->show();
        QTest::mouseClick(window->findChild<QPushButton*>("button2"), Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
    }

    void splashClosesItselfOnItsFirstTick() {
        QPointer<vorla_splash_form> splash = new vorla_splash_form;
        QVERIFY(!splash->findChild<QLabel*>("pictureBox1")->pixmap().isNull());
        splash->show();
        auto* timer = splash->findChild<QTimer*>("timer1");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 3000);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QTRY_VERIFY(splash.isNull());
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
