// Leaving the program: the service's side of it.
#include <algorithm>
#include <utility>

#include "device/keypad_service.h"

namespace lumora_usb_encoder {

namespace {

bool among(const std::vector<LeaveParticipant*>& participants, LeaveParticipant* participant) {
    return std::find(participants.begin(), participants.end(), participant) != participants.end();
}

}  // namespace

void KeypadService::addParticipant(LeaveParticipant* participant) {
    participants_.push_back(participant);
}

void KeypadService::removeParticipant(LeaveParticipant* participant) {
    std::erase(participants_, participant);
}

LeaveResult KeypadService::leave(UserInterface& ui, std::function<void()> left) {
    if (leaving_) {
        return LeaveResult::Leaving;
    }
    // Leaving now would leave the keypad half programmed, with nothing to finish it.
    if (job_ && job_->job == KeypadJob::FirmwareUpgrade) {
        ui.warn(kUpgradeRefusesLeaving, kCaptionQuillon);
        return LeaveResult::Refused;
    }
    // A window asked may close another (its question answered by closing), so each is looked
    // for again before it is asked.
    for (LeaveParticipant* participant : std::vector<LeaveParticipant*>(participants_)) {
        if (among(participants_, participant) && !participant->mayLeave()) {
            return LeaveResult::Stayed;
        }
    }
    leaving_ = std::make_unique<Leaving>();
    leaving_->left = std::move(left);
    leaving_->waiting = participants_.size() + 1;
    std::weak_ptr<KeypadService*> self = self_;
    for (LeaveParticipant* participant : std::vector<LeaveParticipant*>(participants_)) {
        if (!among(participants_, participant)) {
            oneEnded();
            continue;
        }
        participant->endKeypadWork([self, once = std::make_shared<bool>(false)] {
            auto service = self.lock();
            if (service && !std::exchange(*once, true)) {
                (*service)->oneEnded();
            }
        });
    }
    oneEnded();
    return LeaveResult::Leaving;
}

void KeypadService::oneEnded() {
    if (leaving_ && --leaving_->waiting == 0) {
        finishLeaving();
    }
}

void KeypadService::finishLeaving() {
    for (LeaveParticipant* participant : std::vector<LeaveParticipant*>(participants_)) {
        if (among(participants_, participant) && !participant->sendBeforeLeaving()) {
            leaving_.reset();
            return;
        }
    }
    std::function<void()> left = std::move(leaving_->left);
    leaving_.reset();
    close();
    left();
}

}  // namespace lumora_usb_encoder
