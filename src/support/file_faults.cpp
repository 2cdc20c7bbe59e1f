#include "support/file_faults.h"

namespace lumora_usb_encoder {

namespace file_faults_detail {
std::atomic<FileFaults*> installed{nullptr};
}

FileFaults* installFileFaults(FileFaults* faults) {
    return file_faults_detail::installed.exchange(faults, std::memory_order_acq_rel);
}

}  // namespace lumora_usb_encoder
