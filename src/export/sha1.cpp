#include "export/sha1.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "export/file_error.h"

namespace lumbrook::exporting {

struct Sha1::Context {
    EVP_MD_CTX* digest = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(digest); }
};

Sha1::Sha1() : context_(std::make_unique<Context>()) {
    if (context_->digest == nullptr ||
        EVP_DigestInit_ex(context_->digest, EVP_sha1(), nullptr) != 1)
        throw std::runtime_error("SHA-1 is not available");
}

Sha1::~Sha1() = default;

void Sha1::Update(const void* data, std::size_t size) {
    EVP_DigestUpdate(context_->digest, data, size);
}

std::string Sha1::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(context_->digest, digest, &size);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0F];
    }
    return text;
}

std::string FileSha1(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileErrorFromErrno(errno, path);
    Sha1 sha1;
    std::vector<unsigned char> piece(1024 * 1024);
    for (;;) {
        const ssize_t n = ::read(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw FileErrorFromErrno(error, path);
        }
        if (n == 0)
            break;
        sha1.Update(piece.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return sha1.HexDigest();
}

}  // namespace lumbrook::exporting
