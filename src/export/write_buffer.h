// A stream buffer that hands what a std::ostream writes to a function in large pieces, so that
// the field's library writes into our files as into any stream. It tells the stream its
// position, which the library's offsets need; a failed write is kept and raised by Close or
// RaiseError, since the stream itself would only set its bad bit.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <streambuf>
#include <string_view>
#include <vector>

namespace lumbrook::exporting {

class WriteBuffer final : public std::streambuf {
  public:
    // `sink` takes every piece and raises what it raises (FileError) when it cannot.
    explicit WriteBuffer(std::function<void(std::string_view)> sink);

    // What was written so far, this buffer's own included.
    std::uint64_t Position() const {
        return handed_ + static_cast<std::uint64_t>(pptr() - pbase());
    }
    // Hands on what is buffered. Raises the error of a failed piece, if there was one.
    void Close();
    void RaiseError() const;

  protected:
    int_type overflow(int_type c) override;
    int sync() override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override;

  private:
    bool Drain();

    std::function<void(std::string_view)> sink_;
    std::vector<char> buffer_;
    std::uint64_t handed_ = 0;
    std::exception_ptr error_;
};

}  // namespace lumbrook::exporting
