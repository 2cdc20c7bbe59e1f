// Every line either side of the socket protocol may receive: whatever parses must write back to
// a line that parses to the same thing, and nothing may read past the input.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "socket/answer.h"
#include "socket/request.h"

namespace wire = lumora_usb_encoder::hid::wire;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void roundTrip(std::string_view line, std::string& error) {
    wire::Request request;
    if (wire::parseRequest(line, request, error)) {
        wire::Request again;
        check(wire::parseRequest(wire::formatRequest(request), again, error) && again == request);
    }
    wire::Answer answer;
    if (wire::parseAnswer(line, answer, error)) {
        wire::Answer again;
        check(wire::parseAnswer(wire::formatAnswer(answer), again, error) && again == answer);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string error;  // one for all lines: most of them fail, each with its message
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        roundTrip(input.substr(start, end == std::string_view::npos ? end : end - start), error);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return 0;
}
