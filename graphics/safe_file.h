// Files that are written completely or not at all: the text goes to a new
// file beside the target, which replaces the target only when every byte
// and the close succeeded. A target that is no regular file (a device, a
// pipe) is written directly and never replaced or removed.
#pragma once

#include <string>

namespace kalix {

// True when the file name (after its last "/") has a "." past its first
// character.
bool hasExtension(const std::string& name);

class SafeFile {
  public:
    explicit SafeFile(const std::string& target);
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;
    ~SafeFile();

    bool isOpen() const { return fd >= 0; }
    int descriptor() const { return fd; }
    // The descriptor is owned by a stream now.
    void release() { fd = -1; }
    // After the stream is closed: replace the target when `ok`, else
    // remove the new file. True when the target holds the new text.
    bool commit(bool ok);

  private:
    std::string target, partial;
    bool direct = false;
    bool committed = false;
    int fd = -1;
};

}  // namespace kalix
