// The growable text and its formatter.
#include "util/String.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int64_t kMaxBuffer = std::numeric_limits<int32_t>::max();

char* newBuffer(int64_t size) {
    if (size < 1 || size > kMaxBuffer) return nullptr;
    return new (std::nothrow) char[static_cast<size_t>(size)];
}

int32_t textLength(const char* text) {
    const size_t n = std::strlen(text);
    return n > static_cast<size_t>(kMaxBuffer) ? -1 : static_cast<int32_t>(n);
}

bool trimmed(char c) { return c == '\n' || c == '\r' || c == '\t' || c == ' ' || c == '\0'; }

}  // namespace

void String::allocate(int32_t size) {
    buffer = newBuffer(size);
    if (buffer == nullptr) return;
    capacity = size;
    buffer[0] = '\0';
}

String::String() { allocate(1); }

String::String(int32_t size) { allocate(size < 1 ? 1 : size); }

String::String(const char* format, ...) {
    allocate(1);
    if (format == nullptr) return;
    va_list arguments;
    va_start(arguments, format);
    _printf(format, arguments);
    va_end(arguments);
}

String::~String() { delete[] buffer; }

void String::Get(char* destination, int32_t count) const {
    if (destination == nullptr || count < -1) return;
    const char* text = buffer != nullptr ? buffer : "";
    if (count == -1) {
        std::strcpy(destination, text);
    } else if (count > 0) {
        std::strncpy(destination, text, static_cast<size_t>(count));
    }
}

void String::Set(const char* text) {
    if (buffer == nullptr || text == nullptr) return;
    const int32_t n = textLength(text);
    // The copy is made before the old buffer goes, since text may point into it.
    char* copy = n < 0 ? nullptr : newBuffer(int64_t{n} + 1);
    if (copy != nullptr) std::memcpy(copy, text, static_cast<size_t>(n) + 1);
    delete[] buffer;
    buffer = copy;
    length = copy != nullptr ? n : 0;
    capacity = copy != nullptr ? n + 1 : 0;
}

void String::Cat(const char* text) {
    if (buffer == nullptr || text == nullptr) return;
    const int32_t n = textLength(text);
    if (n < 0) return;
    const int64_t size = int64_t{capacity} + 2 * int64_t{n} + 1;
    char* grown = newBuffer(size);
    if (grown == nullptr) return;
    std::memcpy(grown, buffer, static_cast<size_t>(length));
    std::memcpy(grown + length, text, static_cast<size_t>(n) + 1);
    delete[] buffer;
    buffer = grown;
    capacity = static_cast<int32_t>(size);
    length += n;
}

void String::Cat(char c) {
    if (buffer == nullptr) return;
    if (length + 1 == capacity) {
        const int64_t size = 2 * (int64_t{length} + 1);
        char* grown = newBuffer(size);
        if (grown == nullptr) return;
        std::memcpy(grown, buffer, static_cast<size_t>(length) + 1);
        delete[] buffer;
        buffer = grown;
        capacity = static_cast<int32_t>(size);
    }
    buffer[length++] = c;
    buffer[length] = '\0';
}

void String::CatInt(int32_t n) {
    if (buffer == nullptr) return;
    if (n < 0) Cat('-');
    // The magnitude in 64 bits, so the most negative value has one too.
    int64_t magnitude = n < 0 ? -int64_t{n} : int64_t{n};
    String digits;
    do {
        digits.Cat(static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    digits.Reverse();
    if (digits.buffer != nullptr) Cat(digits.buffer);
}

void String::Reverse() {
    if (buffer == nullptr) return;
    for (int32_t i = 0, j = length - 1; i < j; ++i, --j) {
        const char c = buffer[i];
        buffer[i] = buffer[j];
        buffer[j] = c;
    }
}

void String::_printf(const char* format, va_list arguments) {
    if (buffer == nullptr || format == nullptr) return;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            Cat(*p);
            continue;
        }
        const char conversion = *++p;
        if (conversion == '\0') {
            Cat('%');  // a lone '%' at the end stands for itself
            return;
        }
        if (conversion == 'd') {
            CatInt(va_arg(arguments, int32_t));
        } else if (conversion == 's') {
            Cat(va_arg(arguments, const char*));
        } else {
            Cat('%');
            Cat(conversion);
        }
    }
}

bool String::printf(const char* format, ...) {
    if (buffer == nullptr || format == nullptr) return false;
    Clear();
    va_list arguments;
    va_start(arguments, format);
    _printf(format, arguments);
    va_end(arguments);
    return true;
}

signed char String::PeekChar() const {
    if (buffer == nullptr) return 0;
    return static_cast<signed char>(length > 0 ? buffer[length - 1] : buffer[0]);
}

signed char String::PopChar() {
    if (buffer == nullptr || length == 0) return 0;
    const char c = buffer[--length];
    buffer[length] = '\0';
    return static_cast<signed char>(c);
}

int32_t String::Cmp(const char* text) const {
    if (text == nullptr || buffer == nullptr || length == 0) return 1;
    return std::strcmp(buffer, text);
}

int32_t String::Cmp(const String* other) const {
    if (other == nullptr || buffer == nullptr || other->buffer == nullptr || length == 0) return 1;
    return std::strcmp(buffer, other->buffer);
}

int32_t String::Cmp(const char* text, int32_t count) const {
    if (text == nullptr || buffer == nullptr || length == 0 || count == 0) return 1;
    if (count > 0) return std::strncmp(buffer, text, static_cast<size_t>(count));
    // A tail longer than the text is the whole text.
    const int64_t tail = -int64_t{count};
    const int64_t start = tail > length ? 0 : length - tail;
    return std::strcmp(buffer + start, text);
}

void String::Trim() {
    if (buffer == nullptr) return;
    for (int pass = 0; pass < 2; ++pass) {
        Reverse();
        while (length > 0 && trimmed(buffer[length - 1])) buffer[--length] = '\0';
    }
}

void String::Clear() {
    if (buffer == nullptr) return;
    length = 0;
    buffer[0] = '\0';
}
