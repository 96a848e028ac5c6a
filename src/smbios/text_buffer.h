// A growable run of bytes for building output. Appends are inline and grow
// by doubling: a whole JSON document is tens of thousands of small appends,
// and the call into a library string for each would cost more than the
// decoding itself.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace tarnlix {

class TextBuffer {
 public:
  TextBuffer() = default;
  ~TextBuffer() { std::free(data_); }
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  void Append(const char* text, size_t length) {
    if (length == 0) return;  // text may be null
    if (capacity_ - size_ < length) Grow(length);
    std::memcpy(data_ + size_, text, length);
    size_ += length;
  }
  void Append(std::string_view text) { Append(text.data(), text.size()); }
  void Append(char c) {
    if (size_ == capacity_) Grow(1);
    data_[size_++] = c;
  }
  // Room for length more bytes, written through the pointer returned;
  // Commit says how many were.
  char* Reserve(size_t length) {
    if (capacity_ - size_ < length) Grow(length);
    return data_ + size_;
  }
  void Commit(size_t length) { size_ += length; }

  void Clear() { size_ = 0; }
  void Resize(size_t size) { size_ = size; }  // only to shrink
  const char* data() const { return data_; }
  char* data() { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_, size_}; }

 private:
  void Grow(size_t length) {
    size_t capacity = capacity_ < 256 ? 256 : capacity_;
    while (capacity - size_ < length) capacity *= 2;
    void* grown = std::realloc(data_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace tarnlix
