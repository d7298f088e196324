#pragma once
#include <cstddef>
#include <string>

// A text that never grows past a fixed number of bytes (its buffer size, the terminating
// zero included). Appends are whole or not at all, so the text is never cut mid-piece.
class BoundedText {
 public:
  explicit BoundedText(size_t bufferSize) : limit_(bufferSize ? bufferSize - 1 : 0) {}

  // Appends `piece` when it fits entirely; false (and nothing appended) otherwise.
  bool Append(const std::string& piece) {
    if (piece.size() > Room()) return false;
    text_ += piece;
    return true;
  }
  bool Fits(size_t bytes) const { return bytes <= Room(); }
  size_t Room() const { return limit_ - text_.size(); }
  const std::string& str() const { return text_; }
  void Truncate(size_t length) {
    if (length < text_.size()) text_.resize(length);
  }

 private:
  size_t limit_;
  std::string text_;
};

// Appends `entries`, each followed by `separator`, so that `reserve` bytes stay free after
// them. When not all fit, as many whole entries as leave room for a line saying how many
// were left out are kept, followed by that line ("(N more not shown)" + separator).
// Returns the number of entries left out.
size_t AppendListWithinLimit(BoundedText& text, const std::string* entries, size_t count,
                             const std::string& separator, size_t reserve);
