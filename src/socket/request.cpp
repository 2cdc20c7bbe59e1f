#include "socket/request.h"

#include <optional>

#include "socket/codec.h"

namespace lumora_usb_encoder::hid::wire {

namespace {

// An unknown verb is echoed in the error, cut short so the error stays a short line. Written
// into `error` in place: a server answers every garbage line with one.
void unknownVerb(std::string_view field, std::string& error) {
    constexpr size_t kEcho = 24;
    error.assign("unknown request '");
    error.append(field.substr(0, kEcho));
    error.append(field.size() > kEcho ? "...'" : "'");
}

bool expectFields(const Fields& fields, size_t count, std::string& error) {
    if (fields.size() != count) {
        error.assign(fields[0]);
        error.append(" takes ").append(std::to_string(count - 1));
        error.append(count == 2 ? " field" : " fields");
        return false;
    }
    return true;
}

bool parseHandle(std::string_view field, Request& request, std::string& error) {
    if (!isToken(field)) {
        return fail(error, "bad handle");
    }
    request.handle = field;
    return true;
}

bool parseEnumerate(const Fields& f, Request& r, std::string& error) {
    auto vendor = decodeId(f[1]);
    auto product = decodeId(f[2]);
    if (!vendor || !product) {
        return fail(error, "bad vendor or product id (4 hex digits)");
    }
    r.vendorId = *vendor;
    r.productId = *product;
    return true;
}

bool parseOpen(const Fields& f, Request& r, std::string&) {
    r.path = f[1];  // the splitter already made sure it is a token
    return true;
}

bool parseWrite(const Fields& f, Request& r, std::string& error) {
    auto bytes = decodeHex(f[2]);
    if (!bytes || bytes->empty()) {
        return fail(error, "bad hex bytes");
    }
    r.bytes = std::move(*bytes);
    return parseHandle(f[1], r, error);
}

bool parseRead(const Fields& f, Request& r, std::string& error) {
    auto max = decodeCount(f[2], kMaxReadRequest);
    auto timeout = decodeCount(f[3], kMaxTimeoutMs);
    if (!max || *max == 0) {
        return fail(error, "bad max length");
    }
    if (!timeout) {
        return fail(error, "bad timeout");
    }
    r.maxLength = *max;
    r.timeoutMs = *timeout;
    return parseHandle(f[1], r, error);
}

bool parseString(const Fields& f, Request& r, std::string& error) {
    if (f[2] == "MANUFACTURER") {
        r.which = StringKind::Manufacturer;
    } else if (f[2] == "PRODUCT") {
        r.which = StringKind::Product;
    } else {
        return fail(error, "STRING asks for MANUFACTURER or PRODUCT");
    }
    return parseHandle(f[1], r, error);
}

bool parseClose(const Fields& f, Request& r, std::string& error) {
    return parseHandle(f[1], r, error);
}

bool parseWatch(const Fields&, Request&, std::string&) {
    return true;
}

bool parsePress(const Fields& f, Request& r, std::string& error) {
    auto key = decodeCount(f[2], 16);
    if (!key || *key == 0) {
        return fail(error, "bad key (1-16)");
    }
    r.path = f[1];
    r.key = *key;
    return true;
}

struct RequestForm {
    std::string_view name;
    Verb verb;
    size_t fields;
    bool (*parse)(const Fields&, Request&, std::string&);
};

constexpr RequestForm kRequests[] = {
    {"ENUMERATE", Verb::Enumerate, 3, parseEnumerate},
    {"OPEN", Verb::Open, 2, parseOpen},
    {"WRITE", Verb::Write, 3, parseWrite},
    {"READ", Verb::Read, 4, parseRead},
    {"STRING", Verb::String, 3, parseString},
    {"CLOSE", Verb::Close, 2, parseClose},
    {"WATCH", Verb::Watch, 1, parseWatch},
    {"PRESS", Verb::Press, 3, parsePress},
};

}  // namespace

bool parseRequest(std::string_view line, Request& request, std::string& error) {
    auto fields = splitLine(line, error);
    if (!fields) {
        return false;
    }
    for (const RequestForm& form : kRequests) {
        if ((*fields)[0] == form.name) {
            Request parsed;
            parsed.verb = form.verb;
            if (!expectFields(*fields, form.fields, error) || !form.parse(*fields, parsed, error)) {
                return false;
            }
            request = std::move(parsed);
            return true;
        }
    }
    unknownVerb((*fields)[0], error);
    return false;
}

std::string formatRequest(const Request& r) {
    switch (r.verb) {
        case Verb::Enumerate:
            return "ENUMERATE " + encodeId(r.vendorId) + " " + encodeId(r.productId);
        case Verb::Open:
            return "OPEN " + r.path;
        case Verb::Write:
            return "WRITE " + r.handle + " " + encodeHex(r.bytes.data(), r.bytes.size());
        case Verb::Read:
            return "READ " + r.handle + " " + std::to_string(r.maxLength) + " " +
                   std::to_string(r.timeoutMs);
        case Verb::String:
            return "STRING " + r.handle +
                   (r.which == StringKind::Manufacturer ? " MANUFACTURER" : " PRODUCT");
        case Verb::Close:
            return "CLOSE " + r.handle;
        case Verb::Press:
            return "PRESS " + r.path + " " + std::to_string(r.key);
        case Verb::Watch:
            break;
    }
    return "WATCH";
}

}  // namespace lumora_usb_encoder::hid::wire
