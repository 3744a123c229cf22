// A small growable text with its own formatter (%d and %s only). It stands alone: nothing
// in the plugin depends on it.
#pragma once

#include <cstdarg>
#include <cstdint>

class String {
public:
    String();
    // An empty text in a buffer of size bytes (at least one).
    explicit String(int32_t size);
    // An empty text with format's output appended.
    explicit String(const char* format, ...);
    ~String();
    String(const String&) = delete;
    String& operator=(const String&) = delete;

    // Copies the text out: count -1 copies it whole with its terminator, any other count
    // copies exactly count bytes, zero-filled after a shorter text and unterminated after
    // a longer one.
    void Get(char* destination, int32_t count) const;
    char* GetReference() { return buffer; }
    int32_t Length() const { return length; }
    // Size of the buffer in bytes; tools that watch memory use read it.
    int32_t Capacity() const { return capacity; }
    void Set(const char* text);
    void Cat(const char* text);
    void Cat(char c);
    void CatInt(int32_t n);
    void Reverse();
    void _printf(const char* format, va_list arguments);
    // Replaces the text by format's output; false, changing nothing, without a format.
    bool printf(const char* format, ...);
    signed char PeekChar() const;
    signed char PopChar();
    int32_t Cmp(const char* text) const;
    int32_t Cmp(const String* other) const;
    // count above 0 compares the first count characters; below 0, the text's last -count
    // characters with the whole of text.
    int32_t Cmp(const char* text, int32_t count) const;
    void Trim();
    void Clear();

private:
    void allocate(int32_t size);

    int32_t length = 0;
    int32_t capacity = 0;
    char* buffer = nullptr;  // absent only when memory ran out
};
