#include "gui/file_dialogs.h"

#include <QFileDialog>
#include <deque>

#include "gui/message_box.h"

namespace lumora_usb_encoder {

namespace {

struct Script {
    bool scripted = false;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<QString>> folders;
    std::vector<FileDialogs::Request> requests;
};

Script& script() {
    static Script instance;
    return instance;
}

std::optional<QString> next(std::deque<std::optional<QString>>& answers) {
    if (answers.empty()) {
        return std::nullopt;
    }
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace

QStringList FileDialogs::nameFilters(const QString& filter) {
    QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        const QString patterns = parts[i + 1];
        // Qt reads the patterns from the label's last parentheses, so a label that shows them
        // already is used as it is.
        if (label.endsWith("(" + patterns + ")")) {
            filters << label;
        } else {
            filters << QString("%1 (%2)").arg(label, QString(patterns).replace(';', ' '));
        }
    }
    return filters;
}

std::optional<QString> FileDialogs::chooseOpenFile(QWidget* parent, const QString& filter,
                                                   const QString& initialName) {
    BusyCursorLift lift;
    if (script().scripted) {
        script().requests.push_back({filter, initialName});
        return next(script().files);
    }
    QFileDialog dialog(parent);
    dialog.setObjectName("openFileDialogBrowse");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(filter));
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

std::optional<QString> FileDialogs::chooseFolder(QWidget* parent, const QString& description,
                                                 const QString& start) {
    BusyCursorLift lift;
    if (script().scripted) {
        script().requests.push_back({description, start});
        return next(script().folders);
    }
    QFileDialog dialog(parent, description, start);
    dialog.setObjectName("folderBrowserDialog1");
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

void FileDialogs::setScripted(bool scripted) {
    script() = Script{};
    script().scripted = scripted;
}

void FileDialogs::setNextFile(std::optional<QString> file) {
    script().files.push_back(std::move(file));
}

void FileDialogs::setNextFolder(std::optional<QString> folder) {
    script().folders.push_back(std::move(folder));
}

std::vector<FileDialogs::Request> FileDialogs::takeRequests() {
    return std::exchange(script().requests, {});
}

}  // namespace lumora_usb_encoder
