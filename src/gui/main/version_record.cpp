#include "gui/main/version_record.h"

#include <array>
#include <utility>

namespace lumora_usb_encoder {

QString version::resource(const QString& name) {
    static const std::array<std::pair<const char*, const char*>, 2> resources = {{
        {"Version", "7.2"},
        {"Part_Number", "Quillon™-SW01"},
    }};
    for (const auto& [key, text] : resources) {
        if (name == QLatin1String(key)) {
            return QString::fromUtf8(text);
        }
    }
    return {};
}

}  // namespace lumora_usb_encoder
