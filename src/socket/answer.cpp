#include "socket/answer.h"

#include <optional>

#include "socket/codec.h"

namespace lumora_usb_encoder::hid::wire {

namespace {

bool parseDevice(const Fields& f, Answer& a, std::string& error) {
    auto vendor = decodeId(f[2]);
    auto product = decodeId(f[3]);
    auto interfaceNumber = decodeInterface(f[4]);
    auto manufacturer = decodeText(f[5]);
    auto productText = decodeText(f[6]);
    if (!vendor || !product || !interfaceNumber) {
        return fail(error, "bad DEVICE ids or interface");
    }
    if (!manufacturer || !productText) {
        return fail(error, "bad DEVICE text");
    }
    a.device = {
        std::string(f[1]),      *vendor, *product, *interfaceNumber, std::move(*manufacturer),
        std::move(*productText)};
    return true;
}

bool parseOk(const Fields& f, Answer& a, std::string& error) {
    if (f.size() > 2) {
        return fail(error, "OK takes at most 1 field");
    }
    a.token = f.size() == 2 ? std::string(f[1]) : std::string();
    return true;
}

bool parseData(const Fields& f, Answer& a, std::string& error) {
    auto bytes = decodeHex(f[1]);
    if (!bytes || bytes->empty()) {
        return fail(error, "bad DATA bytes");
    }
    a.bytes = std::move(*bytes);
    return true;
}

bool parseString(const Fields& f, Answer& a, std::string& error) {
    auto text = decodeText(f[1]);
    if (!text) {
        return fail(error, "bad STRING text");
    }
    a.text = std::move(*text);
    return true;
}

bool parsePath(const Fields& f, Answer& a, std::string&) {
    a.token = f[1];
    return true;
}

bool parseBare(const Fields&, Answer&, std::string&) {
    return true;
}

struct AnswerForm {
    std::string_view name;
    AnswerKind kind;
    size_t fields;  // 0: checked by the parser itself
    bool (*parse)(const Fields&, Answer&, std::string&);
};

constexpr AnswerForm kAnswers[] = {
    {"DEVICE", AnswerKind::Device, 7, parseDevice},
    {"END", AnswerKind::End, 1, parseBare},
    {"OK", AnswerKind::Ok, 0, parseOk},
    {"DATA", AnswerKind::Data, 2, parseData},
    {"NONE", AnswerKind::None, 1, parseBare},
    {"STRING", AnswerKind::String, 2, parseString},
    {"ARRIVAL", AnswerKind::Arrival, 2, parsePath},
    {"REMOVAL", AnswerKind::Removal, 2, parsePath},
};

// ERR's reason is free text and may hold blanks of any number, so it is taken whole.
bool parseErr(std::string_view line, Answer& answer, std::string& error) {
    if (!checkLine(line, error)) {
        return false;
    }
    answer = Answer();
    answer.kind = AnswerKind::Err;
    answer.reason = line.size() > 4 ? line.substr(4) : std::string_view();
    return true;
}

}  // namespace

bool Answer::operator==(const Answer& other) const {
    auto sameDevice = [](const DeviceInfo& x, const DeviceInfo& y) {
        return x.path == y.path && x.vendorId == y.vendorId && x.productId == y.productId &&
               x.interfaceNumber == y.interfaceNumber && x.manufacturer == y.manufacturer &&
               x.product == y.product;
    };
    return kind == other.kind && sameDevice(device, other.device) && token == other.token &&
           reason == other.reason && bytes == other.bytes && text == other.text;
}

bool parseAnswer(std::string_view line, Answer& answer, std::string& error) {
    if (line == "ERR" || line.starts_with("ERR ")) {
        return parseErr(line, answer, error);
    }
    auto fields = splitLine(line, error);
    if (!fields) {
        return false;
    }
    for (const AnswerForm& form : kAnswers) {
        if ((*fields)[0] != form.name) {
            continue;
        }
        if (form.fields != 0 && fields->size() != form.fields) {
            error.assign(form.name).append(" with a wrong number of fields");
            return false;
        }
        Answer parsed;
        parsed.kind = form.kind;
        if (!form.parse(*fields, parsed, error)) {
            return false;
        }
        answer = std::move(parsed);
        return true;
    }
    error = "unknown answer";
    return false;
}

std::string formatAnswer(const Answer& a) {
    const DeviceInfo& d = a.device;
    switch (a.kind) {
        case AnswerKind::Device:
            return "DEVICE " + d.path + " " + encodeId(d.vendorId) + " " + encodeId(d.productId) +
                   " " + std::to_string(d.interfaceNumber) + " " + encodeText(d.manufacturer) +
                   " " + encodeText(d.product);
        case AnswerKind::End:
            return "END";
        case AnswerKind::Ok:
            return a.token.empty() ? "OK" : "OK " + a.token;
        case AnswerKind::Err:
            return a.reason.empty() ? "ERR" : "ERR " + a.reason;
        case AnswerKind::Data:
            return "DATA " + encodeHex(a.bytes.data(), a.bytes.size());
        case AnswerKind::String:
            return "STRING " + encodeText(a.text);
        case AnswerKind::Arrival:
            return "ARRIVAL " + a.token;
        case AnswerKind::Removal:
            return "REMOVAL " + a.token;
        case AnswerKind::None:
            break;
    }
    return "NONE";
}

}  // namespace lumora_usb_encoder::hid::wire
