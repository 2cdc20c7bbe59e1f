#include "device/socket_watch.h"

namespace lumora_usb_encoder::hid {

using wire::AnswerKind;
using Status = wire::LineReader::Status;

std::unique_ptr<SocketWatch> SocketWatch::start(const std::shared_ptr<SocketConnection>& connection,
                                                BusEventHandler handler) {
    std::string error;
    wire::FileDescriptor fd = connection->connectAnother(error);
    auto margin = wire::deadlineIn(connection->options().answerMargin);
    if (!fd.valid() || !wire::sendLine(fd.get(), "WATCH", margin, error)) {
        connection->report("WATCH: " + error);
        return nullptr;
    }
    wire::LineReader reader;
    std::string line;
    wire::Answer answer;
    if (reader.next(fd.get(), line, margin) != Status::Line ||
        !wire::parseAnswer(line, answer, error) || answer.kind != AnswerKind::Ok) {
        connection->report("WATCH: the server did not accept it");
        return nullptr;
    }
    return std::unique_ptr<SocketWatch>(
        new SocketWatch(connection, std::move(fd), std::move(reader), std::move(handler)));
}

SocketWatch::SocketWatch(std::shared_ptr<SocketConnection> connection, wire::FileDescriptor fd,
                         wire::LineReader reader, BusEventHandler handler)
    : connection_(std::move(connection)),
      fd_(std::move(fd)),
      reader_(std::move(reader)),
      handler_(std::move(handler)),
      thread_([this] { run(); }) {}

SocketWatch::~SocketWatch() {
    stop_.wake();
    thread_.join();
}

void SocketWatch::run() {
    for (;;) {
        std::string line;
        // Events may be hours apart; the stop pipe, not a deadline, ends this wait.
        Status status = reader_.next(fd_.get(), line, std::nullopt, stop_.fd());
        if (status == Status::Woken) {
            return;
        }
        wire::Answer event;
        std::string error;
        if (status != Status::Line || !wire::parseAnswer(line, event, error) ||
            (event.kind != AnswerKind::Arrival && event.kind != AnswerKind::Removal)) {
            connection_->report(status == Status::Closed
                                    ? "WATCH: the server closed the connection"
                                    : "WATCH: unreadable event; no more events");
            return;
        }
        handler_(event.kind == AnswerKind::Arrival ? BusEvent::Arrival : BusEvent::Removal,
                 event.token);
    }
}

}  // namespace lumora_usb_encoder::hid
