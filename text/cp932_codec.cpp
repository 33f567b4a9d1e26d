#include "cp932_codec.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

namespace numerlo {

namespace {

constexpr char16_t kNone = 0xFFFF;           // no character for these bytes
constexpr char16_t kTwoStandIns = 0xFFFE;    // a character, but not one that converts back
constexpr std::uint16_t kUnmapped = 0xFFFF;  // no bytes for this character
constexpr std::uint16_t kNotAsked = 0xFFFE;  // not one of CP932's own; the C library not yet asked

// iconv_open() reports failure as (iconv_t)-1.
bool failed(iconv_t cd) {
    return reinterpret_cast<std::intptr_t>(cd) == -1;
}

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Both directions as lookup tables, filled once from the C library's CP932
// converter. A byte sequence is kept only if its character encodes back to
// the very same bytes; CP932 has a few characters reachable from two
// sequences, and the second sequence must not silently change on a save.
//
// The converter also takes some characters one way only: the JIS-style code
// points a Japanese input method produces (U+301C wave dash, U+2212 minus,
// U+2016, U+00A2, U+00A3, U+00AC, U+2014) become the CP932 characters they
// stand for. Those are asked for the first time each one is met.
class Cp932Tables {
  public:
    Cp932Tables() {
        single_.fill(kNone);
        pair_ = std::make_unique<std::array<char16_t, 0x10000>>();
        pair_->fill(kNone);
        encode_ = std::make_unique<std::array<std::uint16_t, 0x10000>>();

        iconv_t toUtf16 = iconv_open("UTF-16LE", "CP932");
        fromUtf16_ = iconv_open("CP932", "UTF-16LE");
        if (failed(toUtf16) || failed(fromUtf16_)) {
            // Without the converter only ASCII is known; everything else
            // still round-trips through stand-ins.
            encode_->fill(kUnmapped);
            for (unsigned b = 0; b < 0x80; ++b) {
                single_[b] = static_cast<char16_t>(b);
                (*encode_)[b] = static_cast<std::uint16_t>(b);
            }
            return;
        }
        encode_->fill(kNotAsked);
        for (unsigned b = 0; b < 0x100; ++b) {
            const char bytes[1] = {static_cast<char>(b)};
            learn(toUtf16, std::string_view(bytes, 1));
        }
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(static_cast<unsigned char>(lead))) {
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                learn(toUtf16, std::string_view(bytes, 2));
            }
        }
        iconv_close(toUtf16);
    }
    Cp932Tables(const Cp932Tables&) = delete;
    Cp932Tables& operator=(const Cp932Tables&) = delete;
    ~Cp932Tables() {
        if (!failed(fromUtf16_)) {
            iconv_close(fromUtf16_);
        }
    }

    [[nodiscard]] char16_t single(unsigned char b) const { return single_[b]; }
    [[nodiscard]] char16_t pair(unsigned char lead, unsigned char trail) const {
        return (*pair_)[static_cast<std::size_t>(lead << 8 | trail)];
    }
    [[nodiscard]] std::uint16_t encode(char16_t c) {
        std::uint16_t& code = (*encode_)[c];
        if (code == kNotAsked) {
            code = oneWay(c);
        }
        return code;
    }

  private:
    static bool convert(iconv_t cd, std::string_view in, std::string& out) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::string input(in);
        out.assign(8, '\0');
        char* inPtr = input.data();
        char* outPtr = out.data();
        std::size_t inLeft = input.size();
        std::size_t outLeft = out.size();
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return false;
        }
        out.resize(out.size() - outLeft);
        return true;
    }

    // The bytes the C library gives a character that no CP932 sequence
    // decodes to, or kUnmapped.
    std::uint16_t oneWay(char16_t c) {
        const char utf16[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        std::string bytes;
        if (!convert(fromUtf16_, std::string_view(utf16, 2), bytes) || bytes.empty() ||
            bytes.size() > 2) {
            return kUnmapped;
        }
        const auto first = static_cast<unsigned char>(bytes[0]);
        return bytes.size() == 1
                   ? first
                   : static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(bytes[1]));
    }

    void learn(iconv_t toUtf16, std::string_view bytes) {
        std::string utf16;
        std::string back;
        if (!convert(toUtf16, bytes, utf16)) {
            return;
        }
        if (utf16.size() != 2 || !convert(fromUtf16_, utf16, back) || back != bytes) {
            // Keep the pair together as two stand-ins, so that its second byte
            // does not start a character of its own.
            if (bytes.size() == 2) {
                (*pair_)[static_cast<std::size_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                                  static_cast<unsigned char>(bytes[1]))] =
                    kTwoStandIns;
            }
            return;
        }
        const auto c = static_cast<char16_t>(static_cast<unsigned char>(utf16[0]) |
                                             static_cast<unsigned char>(utf16[1]) << 8);
        if (c == kNone || c == kTwoStandIns || (c >= kStandInBase && c < kStandInBase + 0x100)) {
            return;
        }
        const auto first = static_cast<unsigned char>(bytes[0]);
        if (bytes.size() == 1) {
            single_[first] = c;
            (*encode_)[c] = first;
        } else {
            const auto second = static_cast<unsigned char>(bytes[1]);
            (*pair_)[static_cast<std::size_t>(first << 8 | second)] = c;
            (*encode_)[c] = static_cast<std::uint16_t>(first << 8 | second);
        }
    }

    std::array<char16_t, 0x100> single_{};
    std::unique_ptr<std::array<char16_t, 0x10000>> pair_;
    std::unique_ptr<std::array<std::uint16_t, 0x10000>> encode_;
    iconv_t fromUtf16_;
};

// Built on first use: start-up never pays for them. The panes and the run
// use them from the window's one thread only.
Cp932Tables& tables() {
    static Cp932Tables instance;
    return instance;
}

}  // namespace

std::u16string decodeCp932(std::string_view bytes) {
    const Cp932Tables& t = tables();
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' || b == '\n') {
            text += u'\n';
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            continue;
        }
        if (isLeadByte(b) && i + 1 < bytes.size()) {
            const auto trail = static_cast<unsigned char>(bytes[i + 1]);
            const char16_t c = t.pair(b, trail);
            if (c == kTwoStandIns) {
                text += static_cast<char16_t>(kStandInBase + b);
                text += static_cast<char16_t>(kStandInBase + trail);
                ++i;
                continue;
            }
            if (c != kNone) {
                text += c;
                ++i;
                continue;
            }
        }
        const char16_t c = t.single(b);
        text += c != kNone ? c : static_cast<char16_t>(kStandInBase + b);
    }
    return text;
}

std::string encodeCp932(std::u16string_view text) {
    Cp932Tables& t = tables();
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n' || c == u'\u2029') {
            bytes += "\r\n";
        } else if (c >= kStandInBase && c < kStandInBase + 0x100) {
            bytes += static_cast<char>(c - kStandInBase);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            // A character outside the BMP: one "?" for the pair.
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                ++i;
            }
            bytes += '?';
        } else if (const std::uint16_t code = t.encode(c); code == kUnmapped) {
            bytes += '?';
        } else if (code > 0xFF) {
            bytes += static_cast<char>(code >> 8);
            bytes += static_cast<char>(code & 0xFF);
        } else {
            bytes += static_cast<char>(code);
        }
    }
    return bytes;
}

}  // namespace numerlo
