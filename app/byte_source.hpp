// Bytes from a file, read in large blocks so that a cloud of millions of points streams through a
// small buffer, or from memory (the fuzzers). Tracks the offset for error messages.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

class byte_source {
  public:
    explicit byte_source(std::FILE *file) : file_(file), buffer_(1 << 20) {}
    byte_source(const unsigned char *data, std::size_t size) : next_(data), end_(data + size) {}

    // The next byte, or -1 at the end.
    int get() {
        if (next_ == end_ && !refill()) {
            return -1;
        }
        ++offset_;
        return *next_++;
    }

    int peek() {
        if (next_ == end_ && !refill()) {
            return -1;
        }
        return *next_;
    }

    // Copies up to n bytes; returns how many there were.
    std::size_t read(void *destination, std::size_t n) {
        auto *out = static_cast<unsigned char *>(destination);
        std::size_t done = 0;
        while (done < n) {
            if (next_ == end_ && !refill()) {
                break;
            }
            const std::size_t chunk = std::min(n - done, std::size_t(end_ - next_));
            if (out != nullptr) {
                std::memcpy(out + done, next_, chunk);
            }
            next_ += chunk;
            done += chunk;
        }
        offset_ += done;
        return done;
    }

    std::size_t skip(std::size_t n) { return read(nullptr, n); }

    // Bytes consumed so far: the offset of the next byte.
    std::uint64_t offset() const { return offset_; }

  private:
    bool refill() {
        if (file_ == nullptr) {
            return false;
        }
        const std::size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        next_ = buffer_.data();
        end_ = next_ + n;
        return n > 0;
    }

    std::FILE *file_ = nullptr;
    std::vector<unsigned char> buffer_;
    const unsigned char *next_ = nullptr;
    const unsigned char *end_ = nullptr;
    std::uint64_t offset_ = 0;
};
