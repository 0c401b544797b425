// Text storage: every text value of the program is a ByteString.
//
// A text lives in one heap block: a 32-bit signed byte length n, then the n
// bytes, then one NUL. The handle is the address of the first byte, so it also
// reads as a NUL-terminated string; the length field is authoritative (a text
// may hold NUL bytes and writers write all n bytes). Bytes are Shift-JIS and
// are never re-encoded.
//
// Every live text is entered in the StringRegistry, guarded by RuntimeLock.
// Releasing an address that is not a live text frees nothing and writes
// "未知の文字列が解放されようとしました。" CR LF to the debugger output
// (standard error on POSIX); releasing null does nothing.
//
// Ownership: the class ByteString owns one text and releases it when it goes
// out of scope or is assigned another. A routine that takes a ByteString by
// value takes ownership of it and releases it before returning; callers that
// keep a variable's value pass CopyOfText(variable). Results are new texts
// owned by the caller.
#ifndef KYORI_TEXT_BYTE_STRING_H_
#define KYORI_TEXT_BYTE_STRING_H_

#include <cstdint>
#include <string_view>

namespace kyori {

class ByteString {
 public:
  ByteString() noexcept = default;  // holds no text (null)
  explicit ByteString(char* adopted) noexcept : text_(adopted) {}
  ByteString(ByteString&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
  ByteString& operator=(ByteString&& other) noexcept;
  ByteString(const ByteString&) = delete;
  ByteString& operator=(const ByteString&) = delete;
  ~ByteString() { Reset(); }

  // The first byte; a NUL follows the last one. Null when no text is held.
  char* Data() const noexcept { return text_; }
  // The stored byte length; 0 for null.
  int32_t Size() const noexcept;
  std::string_view View() const noexcept;
  bool IsNull() const noexcept { return text_ == nullptr; }

  // Gives up ownership without releasing; the caller must release the handle.
  char* Detach() noexcept;
  // Releases the held text (if any) and holds nothing.
  void Reset() noexcept;

 private:
  char* text_ = nullptr;
};

// Sets up the registry and its lock. Called once before any other text
// operation; calling it again keeps the live texts.
void InitRuntime();

// A new text of `length` bytes, all 0 (a negative length counts as 0).
ByteString NewByteString(int32_t length);
// A new text holding a copy of `bytes` (a literal, or any bytes).
ByteString TextFromBytes(std::string_view bytes);
// A new text holding a copy of `text`'s bytes; `text` is kept.
ByteString CopyOfText(const ByteString& text);
// Releases a raw handle: frees a live text, ignores null, and writes the
// debugger message for anything else.
void ReleaseByteString(char* text);
// A new text: the bytes of `first` then those of `second`; both are released.
ByteString ConcatByteStrings(ByteString first, ByteString second);
// A new one-byte text holding `code`.
ByteString CharToByteString(unsigned char code);
// The first byte of `text` (0 for the empty text); `text` is released.
unsigned FirstByteOf(ByteString text);
// How many texts are live right now.
int32_t LiveByteStringCount();

}  // namespace kyori

#endif  // KYORI_TEXT_BYTE_STRING_H_
