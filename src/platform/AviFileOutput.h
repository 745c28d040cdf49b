#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AVIOContext;

// The file a recording goes into. FFmpeg's muxer writes and seeks through
// Context(); this object does the writing, so that:
//  - a file another recording holds is never touched: Create refuses it, and
//    the new file carries an advisory lock until Close (an open-file-
//    description lock, so copies of the program in other processes see it);
//  - disk space for what is still to come is reserved ahead (ReserveAhead),
//    so a full disk shows before the muxer is handed a frame, not in the
//    middle of one;
//  - a write the file system refuses anyway (no reservations on this file
//    system, a file-size limit, an I/O error) never reaches FFmpeg, which
//    would mark the file failed for good: those bytes are held back and go
//    out in order once the file system takes them (FlushPending).
//
// Not thread-safe; the owner serialises calls.
class AviFileOutput {
public:
    // Reservations are made in steps of this much beyond what is needed.
    static constexpr uint64_t kReserveStep = 256 * 1024;

    AviFileOutput();
    AviFileOutput(const AviFileOutput&) = delete;
    AviFileOutput& operator=(const AviFileOutput&) = delete;
    ~AviFileOutput();

    // Why `path` can't take a new recording now, as an errno value, without
    // changing anything there: EISDIR (it is a folder), ENOENT or ENOTDIR (its
    // folder is missing), EACCES, EROFS, ENAMETOOLONG, EBUSY (another
    // recording holds the file) and the like; 0 when it can.
    static int CheckPath(const std::string& path);

    // Replaces whatever is at `path` (a link itself, not what it names) with
    // a new empty file and locks it. 0, or an errno value as for CheckPath;
    // nothing of another recording is touched.
    int Create(const std::string& path);

    // The I/O context for the muxer (seekable); null when no file is open.
    AVIOContext* Context() const { return context_; }

    // Makes sure `bytes` more than the data so far can be written. False,
    // with Error(), when the disk has no room for them.
    bool ReserveAhead(uint64_t bytes);

    // Writes the bytes held back; true when none are left.
    bool FlushPending();
    bool HasPending() const { return !pending_.empty(); }

    // The errno of the last write or reservation the file system refused.
    int Error() const { return error_; }

    // Writes what is held back, gives back the unused reservation and closes
    // the file (which ends the lock). True when every byte reached the file.
    bool Close();

    // Closes and removes the file Create made (a recording that failed to
    // start).
    void Discard();

private:
    struct Held {
        int64_t offset;
        std::vector<uint8_t> bytes;
    };

    static int WriteCallback(void* opaque, uint8_t* data, int size);
    static int64_t SeekCallback(void* opaque, int64_t offset, int whence);
    int Write(const uint8_t* data, int size);
    int64_t Seek(int64_t offset, int whence);
    size_t WriteAt(int64_t offset, const uint8_t* data, size_t size);
    void Hold(int64_t offset, const uint8_t* data, size_t size);
    void FreeContext();

    int fd_ = -1;
    std::string path_;
    AVIOContext* context_ = nullptr;
    int64_t position_ = 0;
    int64_t end_ = 0;
    int64_t reservedEnd_ = 0;
    bool reservable_ = true;
    int error_ = 0;
    std::vector<Held> pending_;
};
