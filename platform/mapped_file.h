#pragma once
// A file mapped read-only into memory, so that a recording larger than the
// memory is read where it lies: its pages come in when touched and go again
// when given back, and nothing of it counts twice.

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dispatch.h"

namespace plat {

class MappedFile final : public RefCounted {
  public:
    // The whole regular file mapped; null with error (naming the file) when
    // it cannot be, or when it is empty.
    static ObjPtr<MappedFile> Open(const std::string& path, std::string& error);
    ~MappedFile() override;

    const unsigned char* Data() const { return data_; }
    uint64_t Size() const { return size_; }
    const std::string& Path() const { return path_; }

    // Gives back the resident pages wholly inside [from, to) (byte offsets):
    // they are read from the file again when next touched.
    void GiveBack(uint64_t from, uint64_t to) const;
    // A reader about to walk [from, to) whole, perhaps more than once (an
    // operator given a whole channel): until EndWindow only a few chunks of
    // it stay readable and resident, the oldest given back as the reader
    // moves on, so the range costs megabytes whatever its length. Reads
    // from any thread are served; the kernel itself (a write() from the
    // range) must not be given it meanwhile. False (and nothing done) for a
    // range too short to matter or when the file has a window open.
    bool BeginWindow(uint64_t from, uint64_t to) const;
    // The whole range readable again, its pages given back.
    void EndWindow() const;
    // Whether the file on disk is still the one mapped: same size and
    // modification time.
    bool Unchanged() const;
    // Whether a read met a page the file no longer has (it was cut shorter
    // on disk): such pages read as zeros instead of stopping the process,
    // so whatever was computed from them must be thrown away.
    bool Damaged() const;

    // The files of the mappings alive now that met such a page.
    static std::vector<std::string> DamagedFiles();

  private:
    MappedFile() = default;
    std::string path_;
    const unsigned char* data_ = nullptr;
    uint64_t size_ = 0;
    int64_t mtimeNs_ = 0;
    ino_t inode_ = 0;
    int slot_ = -1;  // in the table the fault handler looks mappings up in
};

}  // namespace plat
