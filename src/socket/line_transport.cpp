#include "socket/line_transport.h"

namespace lumora_usb_encoder::hid::wire {

bool SocketTransport::sendLine(std::string_view line, Deadline deadline, std::string& error) {
    return wire::sendLine(fd_.get(), line, deadline, error);
}

LineReader::Status SocketTransport::nextLine(std::string& line, Deadline deadline, int wakeFd) {
    return reader_.next(fd_.get(), line, deadline, wakeFd);
}

}  // namespace lumora_usb_encoder::hid::wire
