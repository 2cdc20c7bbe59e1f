#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

namespace lumora_usb_encoder::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends.
class TempFolder {
  public:
    TempFolder() {
        // A name no other test (of this or another process) has taken: create_directory says
        // whether it made the folder or found it there.
        static std::atomic<unsigned> counter{0};
        std::random_device seed;
        auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = base / ("quillon-" + std::to_string(seed()) + "-" +
                            std::to_string(counter.fetch_add(1)));
            if (std::filesystem::create_directory(path_)) {
                return;
            }
        }
        throw std::runtime_error("cannot create a temporary folder");
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Writes `bytes` to `name` in the folder and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out << bytes;
        return file(name);
    }

    // The names in the folder, for checking that no temporary file is left behind.
    size_t entryCount() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                 std::filesystem::directory_iterator()));
    }

  private:
    std::filesystem::path path_;
};

// The bytes of a file, or "<missing>" when there is no file to read.
inline std::string fileBytes(const std::string& path) {
    std::error_code error;
    std::ifstream in(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, error) || !in) {
        return "<missing>";
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace lumora_usb_encoder::testing
