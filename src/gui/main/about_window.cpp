#include "gui/main/about_window.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

#include "gui/main/picture_files.h"
#include "gui/main/version_record.h"

namespace lumora_usb_encoder {

QString about::versionNo;
QString about::partNo;

namespace {

// The maker's notice and addresses are placeholders of our own.
const char* const kAboutText =
    "<div style=\"white-space: pre-wrap; margin: 0\">"
    "<p>This software works with Vorla's  Quillon™.</p>"
    "<p>Quillon™ keypads and this utility are made by Vorla.</p>"
    "<p>For more information visit Vorla's Website:</p>"
    "<p></p>"
    "<p><a href=\"https://www.example.com/quillon\">https://www.example.com/quillon</a></p>"
    "<p><a href=\"mailto:support@example.com\">support@example.com</a></p>"
    "</div>";

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(text);
    return label;
}

}  // namespace

about::about(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("about");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("About Quillon™ Configuration Utility");
    setAccessibleName(windowTitle());
    setAccessibleDescription("Program name, version, part number and the maker's addresses");
    buildControls();
    about_Load();
    setFixedSize(sizeHint());
}

void about::buildControls() {
    pictureBox1 = makeLabel(this, "pictureBox1", {});
    pictureBox1->setPixmap(loadPicture("about_logo.png"));
    pictureBox1->setFixedSize(pictureBox1->sizeHint());  // sized to its picture
    pictureBox1->setAccessibleName("Vorla Quillon™ logo");
    label1 = makeLabel(this, "label1", "Quillon™ Configuration Utility");
    label1->setStyleSheet("font-weight: bold; font-size: 12pt;");
    versionLbl = makeLabel(this, "versionLbl", {});
    label3 = makeLabel(this, "label3", "Part No ");
    partNoLbl = makeLabel(this, "partNoLbl", {});
    auto* lineShape1 = new QFrame(this);
    lineShape1->setObjectName("lineShape1");
    lineShape1->setFrameShape(QFrame::HLine);
    lineShape1->setFrameShadow(QFrame::Sunken);
    label2 = makeLabel(this, "label2", "Copyright © Vorla. All rights reserved.");

    richTextBox1 = new QTextBrowser(this);
    richTextBox1->setObjectName("richTextBox1");
    richTextBox1->setOpenLinks(false);
    richTextBox1->setHtml(kAboutText);
    richTextBox1->setAccessibleName("About this software");
    richTextBox1->setAccessibleDescription("What the software works with and where to find help");
    richTextBox1->setStyleSheet("background: palette(window);");
    richTextBox1->setFixedSize(400, 150);
    connect(richTextBox1, &QTextBrowser::anchorClicked, this, &about::richTextBox1_LinkClicked);

    button2 = new QPushButton("Close", this);
    button2->setObjectName("button2");
    button2->setAccessibleDescription("Closes this window");
    button2->setDefault(true);
    connect(button2, &QPushButton::clicked, this, &about::button2_Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(pictureBox1, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(label1, 0, 1, 1, 2);
    grid->addWidget(versionLbl, 1, 1, 1, 2);
    grid->addWidget(label3, 2, 1);
    grid->addWidget(partNoLbl, 2, 2);
    grid->addWidget(lineShape1, 4, 0, 1, 3);
    grid->addWidget(label2, 5, 0, 1, 3);
    grid->addWidget(richTextBox1, 6, 0, 1, 3);
    grid->addWidget(button2, 7, 2, Qt::AlignRight);
    grid->setColumnStretch(2, 1);
    setTabOrder(richTextBox1, button2);
}

void about::about_Load() {
    versionNo = version::resource("Version");
    versionLbl->setText("Version " + versionNo);
    versionLbl->setAccessibleName(versionLbl->text());
    partNo = version::resource("Part_Number");
    partNoLbl->setText(partNo);
    partNoLbl->setAccessibleName("Part number " + partNo);
}

void about::button2_Click() {
    close();
}

// The addresses are for reading; following them from here is not offered.
void about::richTextBox1_LinkClicked(const QUrl&) {}

}  // namespace lumora_usb_encoder
