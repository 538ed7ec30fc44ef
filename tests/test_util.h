#pragma once
// Helpers the test programs share: a scratch folder that removes itself, and
// whole-file reads and writes.

#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace testutil {

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Replaces the file's content with exactly these bytes.
inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// An empty folder under the temporary folder, removed with everything in it
// when the object goes. The process id keeps test processes that CTest runs
// side by side apart; the counter keeps folders of one process apart.
class TempDir {
  public:
    explicit TempDir(const std::string& tag) {
        static std::atomic<unsigned> counter{0};
        path_ =
            std::filesystem::temp_directory_path() /
            ("vantrel-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        // A test may have left the folder read-only.
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

    // Entries of any kind directly in the folder.
    size_t FileCount() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
    }
    // Regular files directly in the folder.
    size_t RegularFileCount() const {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(path_)) n += e.is_regular_file();
        return n;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace testutil
