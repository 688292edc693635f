// Small system functions of the network library, shared with the client
// framework and the table model: integer logarithms, bounded copies that
// respect two-byte GBK characters, path splitting, hex text, random unique ids.
// Owner: none (free functions, no state). Any thread.
// Hazards: texts are GBK bytes; every function that writes into a caller's
// buffer is given that buffer's size and never writes past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Message.h"

namespace net {

/// Floor of log2(n); 0 for every n below 2.
[[nodiscard]] uint32_t IntLog2(int32_t n);

/// 2 to the power n; 1 for every n below 1. Exponents above 31 give 0
/// (the result would not fit).
[[nodiscard]] uint32_t PowerOfTwo(int32_t n);

/// Copies a zero-terminated text. length -1 copies the whole text with its zero;
/// otherwise at most `length` characters as strncpy does (no zero when the
/// source is that long or longer). Null target or source: nothing happens.
/// The caller's target holds the bytes asked for.
void CopyString(char* target, const char* source, int length);

/// Path part selectors for GetPathParts.
inline constexpr uint32_t PATH_PART_DRIVE = 1;
inline constexpr uint32_t PATH_PART_DIRECTORY = 2; ///< with its trailing separator
inline constexpr uint32_t PATH_PART_NAME = 4;
inline constexpr uint32_t PATH_PART_EXTENSION = 8; ///< with its dot

/// Splits a path (either separator) into drive, directory, file name and
/// extension and writes those selected by `flags`, in that order, into `output`
/// (emptied first). On this system a path has no drive letter unless it is
/// written as one ("C:..."), so the drive part is usually empty.
void GetPathParts(const std::string& path, uint32_t flags, std::string& output);

/// The program's directory, ending in '/'.
[[nodiscard]] std::string GetModuleDir();

/// Whether something exists at `path`, kind wanted: directory or plain file.
enum class PathKind { File, Directory };
[[nodiscard]] int PathExists(const char* path, PathKind kind);

/// Appends each byte as two lower-case hex digits to `text`.
void BytesToHex(const uint8_t* bytes, size_t n, std::string& text);

/// Fills n bytes with fresh random identifier bytes. Result 1, or 0 when the
/// system could not give random bytes (the rest of the buffer is then zero).
[[nodiscard]] int FillUuidBytes(uint8_t* buffer, size_t n);

/// When `text` is empty, fills it with 30 lower-case hex digits drawn from
/// fresh random bytes plus the zero and gives 1; otherwise leaves it and gives 0.
/// `capacity` is the buffer's size; below 31 nothing is written and 0 is given.
[[nodiscard]] int FillUniqueIdIfEmpty(char* text, size_t capacity);

/// Copies a GBK text of `source_length` bytes into `target`, cut to n bytes.
/// `target` must hold n + 1 bytes. A text of up to n bytes is copied whole and
/// terminated. A longer text is cut before the limit, never inside a two-byte
/// character, and ends in ".." (or "." after a two-byte character) and a zero
/// at n - 1. With n below 4 a longer text is cut to the whole characters that
/// fit, without dots. The result is always zero-terminated within n + 1 bytes.
void CopyStringGbkSafe(const char* source, size_t source_length, char* target, size_t n);
/// As above for a zero-terminated source.
void CopyStringGbkSafe(const char* source, char* target, size_t n);

/// Names the application's main window for FlashMainWindow (the client sets
/// it when the window exists and clears it with WindowHandle::None before the
/// window goes).
void SetMainWindow(platform::WindowHandle window);
/// Flashes the main window once when it is not in front, through the
/// platform's window. Works on the window's own (UI) thread only; elsewhere,
/// or when no main window with a screen window is set, nothing happens.
/// Result: whether a flash was asked of the screen.
bool FlashMainWindow();

} // namespace net
