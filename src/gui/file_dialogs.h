#pragma once

#include <QString>
#include <optional>
#include <vector>

class QWidget;

namespace lumora_usb_encoder {

// The one way the program asks for a file or a folder. Tests script it like MessageBox: while
// scripted nothing is shown, each request is recorded and answered from the script (an
// unscripted request is cancelled).
class FileDialogs {
  public:
    // `filter` in the form "label|pattern|label|pattern"; nullopt when cancelled.
    static std::optional<QString> chooseOpenFile(QWidget* parent, const QString& filter,
                                                 const QString& initialName);
    static std::optional<QString> chooseFolder(QWidget* parent, const QString& description,
                                               const QString& start);

    // "label|pattern|..." as Qt name filters ("label (pattern)").
    static QStringList nameFilters(const QString& filter);

    // Test hooks.
    struct Request {
        QString first;   // the filter, or the folder dialog's description
        QString second;  // the initial file name, or the folder it starts at
    };
    static void setScripted(bool scripted);
    static void setNextFile(std::optional<QString> file);
    static void setNextFolder(std::optional<QString> folder);
    static std::vector<Request> takeRequests();
};

}  // namespace lumora_usb_encoder
