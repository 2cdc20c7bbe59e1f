// Replies as the loader library reads them: any bytes either give a reply that stays inside the
// report, or one of the named errors.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "firmware/loader_protocol.h"

using namespace lumora_usb_encoder::loader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reply reply;
    ReplyError error = parseReply(std::span(data, size), reply);
    if (error == ReplyError::None) {
        if (size < 3 || reply.data.size() > kMaxCorePacket - 1 || reply.data.size() + 3 > size) {
            std::abort();
        }
    } else if (replyErrorText(error).empty()) {
        std::abort();
    }
    auto core = unwrapReport(std::span(data, size));
    if (core.size() > kMaxCorePacket || (size > 0 && !core.empty() && core.data() != data + 2)) {
        std::abort();
    }
    return 0;
}
