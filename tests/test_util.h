#pragma once
// Helpers the test programs share: a scratch folder that removes itself, and
// whole-file reads and writes.

#include <unistd.h>

#include <atomic>
#include <clocale>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace testutil {

// The sanitizers' shadow memory (and AddressSanitizer's quarantine) make a
// process's peak resident size say nothing of the code's own: memory bounds
// are checked in the plain build only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kPeakMemoryMeasurable = false;
#else
inline constexpr bool kPeakMemoryMeasurable = true;
#endif

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

// LC_NUMERIC switched to a locale whose decimal separator is a comma for the
// object's life, as a GUI process under a German or Russian desktop has it.
// When none is installed one is generated with localedef into a folder under
// the temporary folder (kept for later runs); Active() is false when that is
// impossible too, and the caller skips.
class CommaNumericLocale {
  public:
    CommaNumericLocale() {
        const char* had = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = had ? had : "C";
        active_ = TryInstalled() || TryGenerated();
    }
    ~CommaNumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    CommaNumericLocale(const CommaNumericLocale&) = delete;
    CommaNumericLocale& operator=(const CommaNumericLocale&) = delete;

    bool Active() const { return active_; }

  private:
    static bool Comma() {
        const std::lconv* lc = std::localeconv();
        return lc && lc->decimal_point && std::string(lc->decimal_point) == ",";
    }
    static bool TryInstalled() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "ru_RU.UTF-8", "ru_RU.utf8",
                                 "fr_FR.UTF-8", "de_DE", "ru_RU"})
            if (std::setlocale(LC_NUMERIC, name) && Comma()) return true;
        return false;
    }
    static bool TryGenerated() {
        namespace fs = std::filesystem;
        const fs::path dir = fs::temp_directory_path() / "vantrel-locales";
        std::error_code ec;
        if (!fs::exists(dir / "de_DE.UTF-8" / "LC_NUMERIC", ec)) {
            // Built aside and renamed into place, so that test programs that
            // run side by side never see half a locale.
            const fs::path part =
                fs::temp_directory_path() / ("vantrel-locales-" + std::to_string(::getpid()));
            fs::remove_all(part, ec);
            fs::create_directories(part, ec);
            const std::string cmd = "localedef -i de_DE -f UTF-8 '" +
                                    (part / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
            const bool made = std::system(cmd.c_str()) == 0 &&
                              fs::exists(part / "de_DE.UTF-8" / "LC_NUMERIC", ec);
            if (made) fs::rename(part, dir, ec);
            fs::remove_all(part, ec);
        }
        if (!fs::exists(dir / "de_DE.UTF-8" / "LC_NUMERIC", ec)) return false;
        ::setenv("LOCPATH", dir.c_str(), 1);
        const bool ok = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && Comma();
        if (!ok) std::setlocale(LC_NUMERIC, "C");
        return ok;
    }

    std::string saved_;
    bool active_ = false;
};

}  // namespace testutil
