// table set: change keys of the customised code table and send it as the editor's Apply would.
#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_context.h"
#include "codetable/code_table_editor.h"
#include "codetable/modifier_list.h"
#include "codetable/usage_list.h"
#include "device/status_record.h"
#include "settings/keypad_fields.h"

namespace lumora_usb_encoder::cli {

namespace {

struct KeyAssignment {
    std::string text;  // as given, for messages
    int key = 0;
    int modifier = 0;  // no modifier unless one is named
    uint8_t code = 0;
};

// Digits only: from_chars would take a sign, and "0x-4" would become 0xFC.
std::optional<int> parseNumber(std::string_view text, int base) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        return std::nullopt;
    }
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<uint8_t> parseCode(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        auto value = text.size() <= 4 ? parseNumber(text.substr(2), 16) : std::nullopt;
        if (value && *value <= 0xFF) {
            return static_cast<uint8_t>(*value);
        }
        return std::nullopt;
    }
    return usageCodeFromName(text);
}

KeyAssignment parseAssignment(const std::string& text) {
    auto fail = [&](const std::string& what) {
        throw UsageError("table set: " + what + " in '" + text + "' (expected K=[MOD+]CODE)");
    };
    KeyAssignment assignment{text};
    size_t equals = text.find('=');
    if (equals == std::string::npos) {
        fail("no '='");
    }
    std::string_view key(text.data(), equals);
    std::string_view value(text.data() + equals + 1, text.size() - equals - 1);
    auto number = parseNumber(key, 10);
    if (!number || *number < 1 || *number > kMaxEditorKeys) {
        fail("bad key '" + std::string(key) + "'");
    }
    assignment.key = *number;
    if (size_t plus = value.find('+'); plus != std::string_view::npos) {
        auto modifier = modifierIndexFromName(value.substr(0, plus));
        if (!modifier) {
            fail("unknown modifier '" + std::string(value.substr(0, plus)) + "'");
        }
        assignment.modifier = *modifier;
        value.remove_prefix(plus + 1);
    }
    auto code = parseCode(value);
    if (!code) {
        fail("unknown code '" + std::string(value) + "'");
    }
    assignment.code = *code;
    return assignment;
}

// What the family's editor could not have chosen is refused here too.
void checkAgainstFamily(const KeyAssignment& a, const EditorFamily& family) {
    if (a.key > family.keyCount) {
        throw UsageError("table set: key " + std::to_string(a.key) + " in '" + a.text +
                         "': this keypad's table has keys 1-" + std::to_string(family.keyCount));
    }
    if (a.code >= usageLabels(family.edition).size()) {
        throw UsageError("table set: code " + usageButtonText(a.code) + " in '" + a.text +
                         "' is not in this keypad's usage list");
    }
}

// Two codes for one key leave it unclear which was meant; the editor could not be told so either.
void refuseRepeatedKeys(const std::vector<KeyAssignment>& assignments) {
    for (size_t i = 0; i < assignments.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (assignments[j].key == assignments[i].key) {
                throw UsageError("table set: key " + std::to_string(assignments[i].key) +
                                 " is given twice ('" + assignments[j].text + "' and '" +
                                 assignments[i].text + "')");
            }
        }
    }
}

int setKeys(Context& ctx, const std::vector<std::string>& texts) {
    std::vector<KeyAssignment> assignments;
    assignments.reserve(texts.size());
    for (const auto& text : texts) {
        assignments.push_back(parseAssignment(text));
    }
    refuseRepeatedKeys(assignments);
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    auto status = readDeviceStatus();
    if (!status) {
        ctx.ui().warn(kStatusFailureMessage, kCaptionQuillon);
        return KeypadFailed;
    }
    KeypadFields fields;
    unpackStatus(*status, fields);
    const EditorFamily* family = editorFamilyForKeypadType(fields.prev_keypadType_index);
    if (family == nullptr) {
        ctx.ui().warn(kSelectCustomTableMessage, kCaptionQuillon);
        return KeypadFailed;
    }
    for (const auto& a : assignments) {
        checkAgainstFamily(a, *family);
    }
    // The same steps a person takes in the editor, so the bytes are the editor's.
    CodeTableEditor editor(*family);
    editor.load(fields.keyCodeArray);
    for (const auto& a : assignments) {
        editor.clickKey(a.key);
        editor.chooseCode(a.code);
        editor.clickModifier(a.key);
        editor.chooseModifier(a.modifier);
    }
    if (editor.apply() != 0) {
        ctx.ui().warn(kApplyFailureMessage, family->failureCaption);
        return KeypadFailed;
    }
    return Done;
}

const CommandRegistration registration([](CLI::App& app, Context& ctx) {
    auto texts = std::make_shared<std::vector<std::string>>();
    auto* set =
        commandGroup(app, "table", "the code table")
            ->add_subcommand(
                "set",
                "change keys (K=[MOD+]CODE: K 1-16, CODE 0xHH or a usage name, MOD a modifier "
                "name) of the current customised table and apply it");
    set->add_option("assignments", *texts, "K=[MOD+]CODE ...")->required()->expected(1, -1);
    set->callback([&ctx, texts] { ctx.run([&] { return setKeys(ctx, *texts); }); });
});

}  // namespace

}  // namespace lumora_usb_encoder::cli
