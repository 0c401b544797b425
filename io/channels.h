// Channels: numbered files and the console.
//
// ChannelTable has 256 slots; channel n (1 to 256) uses slot n - 1. A slot is
// closed, open on a file, or failed (its open did not succeed). A failed
// channel is unusable: reads on it find nothing, writes to it are lost.
// OpenMode picks the access and creation rule:
//   0 read and write, open or create;  1 read, the file must exist;
//   2 write, create or truncate;       3 write, open or create, append;
//   4 read, the file must exist, shared with other readers.
// Modes 0 to 3 open without sharing: a file already open on another channel
// (or held by a cooperating process) does not open again. Mode 4 is for a
// file that many runs may read at once (batch mode's DATA): it opens beside
// other mode 4 opens, but not beside a holder of modes 0 to 3 (see
// platform/platform.h). A directory never opens.
//
// Text is moved as raw bytes in both directions; nothing is translated and no
// line end is added, except that console output is shown in UTF-8 when the
// console encoding (io/console_encoding.h) says so. Output is buffered: the console's before every console
// read and at exit (FlushConsoleOutput), a channel's before every console
// read, on FlushChannel and at close. A failed write is remembered for its
// channel until the channel is opened again.
//
// ConsoleOut and ConsoleIn are the standard handles, taken once at start by
// TakeConsoleHandles. Console input is read one line at a time: the bytes up
// to the next LF, of any length, without the LF and one CR right before it.
#ifndef KYORI_IO_CHANNELS_H_
#define KYORI_IO_CHANNELS_H_

#include <cstdint>
#include <string_view>

#include "text/byte_string.h"
#include "platform/platform.h"

namespace kyori {

// Each opens the file as the platform's mode of the same name does
// (kOpenCreate: platform::OpenMode::kCreate); a value that is no mode fails.
using OpenMode = int32_t;
inline constexpr OpenMode kOpenReadWrite = 0;
inline constexpr OpenMode kOpenRead = 1;
inline constexpr OpenMode kOpenCreate = 2;
inline constexpr OpenMode kOpenAppend = 3;
inline constexpr OpenMode kOpenReadShared = 4;

inline constexpr int32_t kChannelCount = 256;

// What ReadChannelByte returns besides a byte value 0 to 255.
inline constexpr int kEndOfChannel = -1;   // the file has no more bytes
inline constexpr int kChannelReadFailed = -2;  // closed, failed or unreadable

extern platform::FileHandle ConsoleOut;
extern platform::FileHandle ConsoleIn;

// Takes the standard handles into ConsoleOut and ConsoleIn.
void TakeConsoleHandles();

// Opens the file named by `name`'s bytes (up to its first NUL) on `channel`;
// `name` is released. A channel still open is closed first. Channel numbers
// outside 1 to 256 are ignored.
void OpenChannel(ByteString name, OpenMode mode, int32_t channel);
// Opens `channel` on a handle the program already holds (standard input, for
// a data file read from a pipe); closing the channel leaves the handle open.
void AttachChannel(int32_t channel, platform::FileHandle handle);
// True when the last open of `channel` succeeded and it has not been closed.
bool ChannelIsOpen(int32_t channel);
// Closes `channel` if it is open or failed; closing again does nothing.
// Returns false if any write to it since it was opened failed, the flush and
// close included.
bool CloseChannel(int32_t channel);
// Writes all bytes of `text` to the channel's file; `text` is released.
void WriteToChannel(int32_t channel, ByteString text);
void WriteBytesToChannel(int32_t channel, std::string_view bytes);
// Sends the channel's buffered output to its file. Returns false if any write
// to it since it was opened failed.
bool FlushChannel(int32_t channel);

// Reading for the input statement: the next byte of the channel's file, or
// kEndOfChannel, or kChannelReadFailed. GiveBackChannelByte steps back over the
// byte just read, so the next ReadChannelByte returns it again.
int ReadChannelByte(int32_t channel);
void GiveBackChannelByte(int32_t channel);
// The channel's bytes already read ahead and not yet consumed, without
// reading the file (empty when none are waiting, or the channel is not open);
// valid until the next operation on the channel. ConsumeChannelBytes marks
// the first `count` of them consumed, as `count` ReadChannelByte calls would;
// the last of them can then be given back.
std::string_view PeekChannelBytes(int32_t channel);
void ConsumeChannelBytes(int32_t channel, std::size_t count);
// Reads on until at least `count` bytes wait unconsumed, or the file ends
// (or a read fails), and returns the waiting bytes as PeekChannelBytes does:
// fewer than `count` only at the end. The read-ahead grows to hold them and
// keeps that size while the channel is open. For a decision that needs the
// start of a file before it is read (a pipe gives its bytes in pieces).
//   a pipe that has given "3" of "3 2\n": ReadAheadChannelBytes(c, 4) -> "3 2\n"
std::string_view ReadAheadChannelBytes(int32_t channel, std::size_t count);

// Writes all bytes of `text` to ConsoleOut; `text` is released.
void WriteToConsole(ByteString text);
void WriteBytesToConsole(std::string_view bytes);
// Sends buffered console output and every channel's buffered output on.
void FlushConsoleOutput();

// One console read: flushes all output, then takes the next line of
// ConsoleIn. Returns the line as a new text, or null when standard input had
// no byte left (it has ended).
ByteString ReadConsoleLine();
// True once a console read has found standard input at its end.
bool ConsoleInputEnded();

// Closes every channel and forgets all buffered console state, as at start.
void ResetChannels();

}  // namespace kyori

#endif  // KYORI_IO_CHANNELS_H_
