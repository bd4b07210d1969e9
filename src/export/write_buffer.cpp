#include "export/write_buffer.h"

namespace lumbrook::exporting {

WriteBuffer::WriteBuffer(std::function<void(std::string_view)> sink)
    : sink_(std::move(sink)), buffer_(256 * 1024) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

void WriteBuffer::Close() {
    Drain();
    RaiseError();
}

void WriteBuffer::RaiseError() const {
    if (error_)
        std::rethrow_exception(error_);
}

WriteBuffer::int_type WriteBuffer::overflow(int_type c) {
    if (!Drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int WriteBuffer::sync() {
    return Drain() ? 0 : -1;
}

WriteBuffer::pos_type WriteBuffer::seekoff(off_type offset, std::ios_base::seekdir direction,
                                           std::ios_base::openmode which) {
    if (offset == 0 && direction == std::ios_base::cur && (which & std::ios_base::out) != 0)
        return pos_type(static_cast<off_type>(Position()));
    return pos_type(off_type(-1));
}

bool WriteBuffer::Drain() {
    if (error_)
        return false;
    const std::string_view piece(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    try {
        if (!piece.empty())
            sink_(piece);
    } catch (...) {
        error_ = std::current_exception();
        return false;
    }
    handed_ += piece.size();
    return true;
}

}  // namespace lumbrook::exporting
