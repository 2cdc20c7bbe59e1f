#include "app/toolkit_arguments.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace lumora_usb_encoder {

namespace {

// The options the window toolkit (Qt 6 on X11 and Wayland) reads from the command line.
constexpr std::array<std::string_view, 15> kWithValue = {"platform",      "platformpluginpath",
                                                         "platformtheme", "plugin",
                                                         "qmljsdebugger", "qwindowgeometry",
                                                         "qwindowicon",   "qwindowtitle",
                                                         "session",       "display",
                                                         "geometry",      "style",
                                                         "stylesheet",    "name",
                                                         "title"};
constexpr std::array<std::string_view, 5> kFlags = {"reverse", "widgetcount", "nograb", "dograb",
                                                    "sync"};

bool listed(const auto& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// "platform" for "-platform", "--platform" and "--platform=x"; empty for anything else.
std::string_view optionName(std::string_view word) {
    if (word.size() < 2 || word[0] != '-' || word == "--") {
        return {};
    }
    word.remove_prefix(word[1] == '-' ? 2 : 1);
    return word.substr(0, word.find('='));
}

}  // namespace

std::vector<std::string> splitToolkitArguments(int argc, char** argv,
                                               std::vector<std::string>& toolkit) {
    std::vector<std::string> own;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--") {  // everything after it is ours
            own.insert(own.end(), argv + i, argv + argc);
            break;
        }
        std::string_view name = optionName(word);
        bool inline_value = word.find('=') != std::string_view::npos;
        if (listed(kFlags, name) && !inline_value) {
            toolkit.emplace_back(word);
        } else if (listed(kWithValue, name)) {
            toolkit.emplace_back(word);
            if (!inline_value && i + 1 < argc) {
                toolkit.emplace_back(argv[++i]);
            }
        } else {
            own.emplace_back(word);
        }
    }
    return own;
}

}  // namespace lumora_usb_encoder
