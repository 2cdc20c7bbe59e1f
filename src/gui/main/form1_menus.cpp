#include <QMenu>
#include <QMenuBar>

#include "gui/main/form1.h"

namespace lumora_usb_encoder {

namespace {

QAction* makeItem(QMenu* menu, const char* name, const QString& text) {
    QAction* item = menu->addAction(text);
    item->setObjectName(name);
    return item;
}

}  // namespace

void Form1::buildMenus() {
    menuStrip1 = new QMenuBar(this);
    menuStrip1->setObjectName("menuStrip1");
    menuStrip1->setAccessibleName("Menu bar");
    setMenuBar(menuStrip1);

    // Alt+F and Alt+H open the menus from the keyboard.
    helpToolStripMenuItem = menuStrip1->addMenu("&File");
    helpToolStripMenuItem->setObjectName("helpToolStripMenuItem");
    aboutVorlaUSBEncoderConfiguratorToolStripMenuItem =
        makeItem(helpToolStripMenuItem, "aboutVorlaUSBEncoderConfiguratorToolStripMenuItem",
                 "Import Cfg File");
    exitToolStripMenuItem =
        makeItem(helpToolStripMenuItem, "exitToolStripMenuItem", "Export Cfg File");
    exitToolStripMenuItem1 = makeItem(helpToolStripMenuItem, "exitToolStripMenuItem1", "Exit");

    helpToolStripMenuItem1 = menuStrip1->addMenu("&Help");
    helpToolStripMenuItem1->setObjectName("helpToolStripMenuItem1");
    aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1 =
        makeItem(helpToolStripMenuItem1, "aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1",
                 "About Quillon™ Configuration Utility");

    connect(aboutVorlaUSBEncoderConfiguratorToolStripMenuItem, &QAction::triggered, this,
            &Form1::aboutVorlaUSBEncoderConfiguratorToolStripMenuItem_Click);
    connect(exitToolStripMenuItem, &QAction::triggered, this, &Form1::exitToolStripMenuItem_Click);
    connect(exitToolStripMenuItem1, &QAction::triggered, this,
            &Form1::exitToolStripMenuItem1_Click);
    connect(aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1, &QAction::triggered, this,
            &Form1::aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1_Click);
}

}  // namespace lumora_usb_encoder
