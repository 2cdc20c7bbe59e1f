#pragma once

#include <cstddef>
#include <cstdint>

#include "firmware/data_block.h"
#include "firmware/ti_txt.h"

namespace lumora_usb_encoder {

// Hands out an image as DataBlock_s of consecutive addresses, in address order, each no larger
// than asked for (and never larger than a DataBlock_ holds).
class ImageBlockReader {
  public:
    ImageBlockReader() = default;
    explicit ImageBlockReader(TiTxtImage image) : image_(std::move(image)) {}

    bool moreData() const { return run_ < image_.runs.size(); }
    // An empty block (count 0) once the image is used up.
    DataBlock_ next(size_t largest);

  private:
    TiTxtImage image_;
    size_t run_ = 0;
    size_t offset_ = 0;
};

}  // namespace lumora_usb_encoder
