#include "socket/client_watch.h"

#include "support/socket_system.h"

namespace lumora_usb_encoder::hid {

using wire::AnswerKind;
using Status = wire::LineReader::Status;

namespace {

// True when `wakeFd` became readable within `span`.
bool wokenWithin(int wakeFd, std::chrono::milliseconds span) {
    sockets::WaitEntry entry{wakeFd};
    return sockets::waitFor(&entry, 1, static_cast<int>(span.count())) > 0;
}

}  // namespace

std::unique_ptr<SocketWatch> SocketWatch::start(const std::shared_ptr<SocketConnection>& connection,
                                                BusEventHandler handler) {
    std::unique_ptr<SocketWatch> watch(new SocketWatch(connection, std::move(handler)));
    std::string error;
    if (!watch->attach(error)) {
        connection->report("WATCH: " + error);
        return nullptr;
    }
    for (const auto& info : connection->enumerate(0, 0)) {
        watch->present_.insert(info.path);
    }
    watch->thread_ = std::thread([raw = watch.get()] { raw->run(); });
    return watch;
}

SocketWatch::SocketWatch(std::shared_ptr<SocketConnection> connection, BusEventHandler handler)
    : connection_(std::move(connection)), handler_(std::move(handler)) {}

SocketWatch::~SocketWatch() {
    if (thread_.joinable()) {
        stop_.wake();
        thread_.join();
    }
}

bool SocketWatch::attach(std::string& error) {
    auto link = connection_->connectAnother(error);
    auto margin = wire::deadlineIn(connection_->options().answerMargin);
    if (!link || !link->sendLine("WATCH", margin, error)) {
        return false;
    }
    std::string line;
    wire::Answer answer;
    if (link->nextLine(line, margin) != Status::Line || !wire::parseAnswer(line, answer, error) ||
        answer.kind != AnswerKind::Ok) {
        error = "the server did not accept it";
        return false;
    }
    link_ = std::move(link);
    return true;
}

void SocketWatch::run() {
    while (followEvents()) {
        // The server's devices went with it: say so, so that nobody keeps talking to them.
        auto gone = std::move(present_);
        present_.clear();
        for (const auto& path : gone) {
            handler_(BusEvent::Removal, path);
        }
        if (!reattach()) {
            return;
        }
        for (const auto& info : connection_->enumerate(0, 0)) {
            announce(BusEvent::Arrival, info.path);
        }
    }
}

bool SocketWatch::followEvents() {
    for (;;) {
        std::string line;
        // Events may be hours apart; the stop pipe, not a deadline, ends this wait.
        Status status = link_->nextLine(line, std::nullopt, stop_.fd());
        if (status == Status::Woken) {
            return false;
        }
        wire::Answer event;
        std::string error;
        if (status != Status::Line || !wire::parseAnswer(line, event, error) ||
            (event.kind != AnswerKind::Arrival && event.kind != AnswerKind::Removal)) {
            connection_->report(
                status == Status::Closed
                    ? "WATCH: the server closed the connection; looking for it again"
                    : "WATCH: unreadable event; connecting again");
            link_.reset();
            return true;
        }
        announce(event.kind == AnswerKind::Arrival ? BusEvent::Arrival : BusEvent::Removal,
                 event.token);
    }
}

bool SocketWatch::reattach() {
    for (;;) {
        if (wokenWithin(stop_.fd(), kRetryPeriod)) {
            return false;
        }
        std::string error;
        if (attach(error)) {
            connection_->report("WATCH: the server is back");
            return true;
        }
    }
}

void SocketWatch::announce(BusEvent event, const std::string& path) {
    if (event == BusEvent::Arrival) {
        present_.insert(path);
    } else {
        present_.erase(path);
    }
    handler_(event, path);
}

}  // namespace lumora_usb_encoder::hid
