#pragma once

// Byte-level writing and checked reading of message payloads. Numbers are
// big-endian; a text is a length byte and that many Windows-1252 bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessarin::net {

class Writer {
public:
    void u8(unsigned v) { out_ += static_cast<char>(v & 0xFF); }
    void u16(unsigned v) {
        u8(v >> 8);
        u8(v);
    }
    void i16(int v) { u16(static_cast<unsigned>(static_cast<uint16_t>(static_cast<int16_t>(v)))); }
    void u24(uint32_t v) {
        u8(v >> 16);
        u16(v & 0xFFFF);
    }
    void text(std::string_view bytes) { // the caller keeps it within 255 bytes
        u8(static_cast<unsigned>(bytes.size()));
        out_.append(bytes);
    }
    std::string& bytes() { return out_; }

private:
    std::string out_;
};

// Reads fields in order. The first field that is missing or out of range
// stops the reading: every later read answers 0 or empty, and failure()
// names the field.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    bool ok() const { return failure_ == nullptr; }
    const char* failure() const { return failure_; }
    bool atEnd() const { return at_ == in_.size(); }
    void fail(const char* field) {
        if (ok())
            failure_ = field;
    }

    // A number within lo ... hi.
    int number(int bytes, int lo, int hi, const char* field, bool isSigned = false) {
        if (!ok())
            return 0;
        if (in_.size() - at_ < static_cast<std::size_t>(bytes)) {
            fail(field);
            return 0;
        }
        uint32_t v = 0;
        for (int k = 0; k < bytes; ++k)
            v = (v << 8) | static_cast<unsigned char>(in_[at_++]);
        const int value = isSigned ? static_cast<int16_t>(v) : static_cast<int>(v);
        if (value < lo || value > hi) {
            fail(field);
            return 0;
        }
        return value;
    }
    int u8(int lo, int hi, const char* field) { return number(1, lo, hi, field); }
    int u16(int lo, int hi, const char* field) { return number(2, lo, hi, field); }
    int i16(const char* field) { return number(2, -32768, 32767, field, true); }
    uint32_t u24(const char* field) { return static_cast<uint32_t>(number(3, 0, 0xFFFFFF, field)); }
    bool flag(const char* field) { return u8(0, 1, field) != 0; }

    // A text of at most maxBytes bytes, each accepted by allowed(byte).
    template <class Allowed>
    std::string_view text(std::size_t maxBytes, Allowed allowed, const char* field) {
        const std::size_t n = static_cast<std::size_t>(u8(0, 255, field));
        if (!ok() || n > maxBytes || in_.size() - at_ < n) {
            fail(field);
            return {};
        }
        const std::string_view t = in_.substr(at_, n);
        at_ += n;
        for (const char c : t)
            if (!allowed(static_cast<unsigned char>(c))) {
                fail(field);
                return {};
            }
        return t;
    }

private:
    std::string_view in_;
    std::size_t at_ = 0;
    const char* failure_ = nullptr;
};

} // namespace tessarin::net
