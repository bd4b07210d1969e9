// SHA-1 digests as the data file formats carry them: lower-case hexadecimal, of a file's bytes
// or of text as it is written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace lumbrook::exporting {

class Sha1 {
  public:
    Sha1();
    ~Sha1();
    Sha1(const Sha1&) = delete;
    Sha1& operator=(const Sha1&) = delete;

    void Update(const void* data, std::size_t size);
    // The digest of everything given so far, in hexadecimal; nothing may be given afterwards.
    std::string HexDigest();

  private:
    struct Context;
    std::unique_ptr<Context> context_;
};

// The digest of the file at `path`, read in pieces. FileError when it cannot be read.
std::string FileSha1(const std::string& path);

}  // namespace lumbrook::exporting
