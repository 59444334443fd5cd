// Fuzzes the device name codec. The first input byte picks the ANSI code
// page, the rest is the text: as UTF-8 bytes from the device (decoded at every
// position, as a whole with both passes, and in place to the code page) and as
// a name typed in the code page (to UTF-8). Every buffer handed to the codec
// is exactly as large as the call allows, so a write or read past it is caught.
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "protocol/device_name_codec.h"
#include "protocol/ansi_code_page.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

struct CodePageChoice {
    const char* name;
    // UTF-8 and the code pages of at most two bytes a character never need
    // more room than the UTF-8 text they are made from.
    bool fitsInPlace;
};

constexpr CodePageChoice kCodePages[] = {
    {"UTF-8", true}, {"CP1252", true}, {"CP932", true}, {"GB18030", false}};
constexpr int kCodePageCount = sizeof kCodePages / sizeof kCodePages[0];

const CodePageChoice& SelectCodePage(uint8_t selector)
{
    // Choosing a code page opens iconv; skip it when the choice stands.
    static int selected = -1;
    const int index = selector % kCodePageCount;
    if (index != selected) {
        CAnsiCodePage::Select(kCodePages[index].name);
        selected = index;
    }
    return kCodePages[index];
}

constexpr char16_t kUntouched = 0xBEEF;

// What one sequence at p must decode to: the lead byte fixes the length, only
// the low six bits of the bytes after it count.
int ExpectedLength(const unsigned char* p, int left)
{
    if (left <= 0 || (p[0] >= 0x80 && p[0] <= 0xBF))
        return 0;
    const int length = p[0] <= 0x7F ? 1 : p[0] <= 0xDF ? 2 : 3;
    return length <= left ? length : 0;
}

char16_t ExpectedUnit(const unsigned char* p, int length)
{
    switch (length) {
    case 1:
        return p[0];
    case 2:
        return static_cast<char16_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
    default:
        return static_cast<char16_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
    }
}

void CheckSequenceDecoding(const char* text, int len)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (int pos = 0; pos <= len; ++pos) {
        // The whole rest of the text, then texts that end inside the sequence.
        const int rest = len - pos;
        for (int left : {rest, 3, 2, 1, 0}) {
            if (left > rest)
                continue;
            char16_t unit = kUntouched;
            const int length = DecodeUtf8Sequence(text + pos, left, unit);
            const int expected = ExpectedLength(bytes + pos, left);
            FUZZ_CHECK(length == expected);
            if (length == 0)
                FUZZ_CHECK(unit == kUntouched);
            else
                FUZZ_CHECK(unit == ExpectedUnit(bytes + pos, length));
        }
    }
    char16_t unit = kUntouched;
    FUZZ_CHECK(DecodeUtf8Sequence(text, -1, unit) == 0 && unit == kUntouched);
}

// The units of a whole text, sequence by sequence; none when any sequence is
// invalid or the text is empty.
std::optional<std::u16string> DecodeWhole(const char* text, int len)
{
    std::u16string units;
    for (int pos = 0; pos < len;) {
        char16_t unit;
        const int length = DecodeUtf8Sequence(text + pos, len - pos, unit);
        if (length == 0)
            return std::nullopt;
        units.push_back(unit);
        pos += length;
    }
    if (units.empty())
        return std::nullopt;
    return units;
}

template <typename T>
std::unique_ptr<T[]> ExactBuffer(int count)
{
    return std::unique_ptr<T[]>(new T[static_cast<size_t>(count > 0 ? count : 0)]);
}

// Both passes of Utf8ToUtf16, then the units back through Utf16ToUtf8.
void CheckWholeTextDecoding(const char* text, int len, int derivedCapacity)
{
    const std::optional<std::u16string> units = DecodeWhole(text, len);
    const int count = units ? static_cast<int>(units->size()) : 0;

    FUZZ_CHECK(Utf8ToUtf16(text, len, nullptr, 0) == count);
    FUZZ_CHECK(Utf8ToUtf16(text, len, nullptr, derivedCapacity) == count);

    // A capacity read from the input: enough or not, nothing beyond it is
    // written and the result is all or nothing.
    const int capacity = count > 0 ? derivedCapacity % (count + 2) : derivedCapacity % 4;
    auto some = ExactBuffer<char16_t>(capacity);
    FUZZ_CHECK(Utf8ToUtf16(text, len, some.get(), capacity) == (capacity >= count ? count : 0));
    if (!units)
        return;

    auto exact = ExactBuffer<char16_t>(count);
    FUZZ_CHECK(Utf8ToUtf16(text, len, exact.get(), count) == count);
    FUZZ_CHECK(std::u16string(exact.get(), static_cast<size_t>(count)) == *units);
    auto short1 = ExactBuffer<char16_t>(count - 1);
    FUZZ_CHECK(Utf8ToUtf16(text, len, short1.get(), count - 1) == 0);
    FUZZ_CHECK(Utf8ToUtf16(text, len, exact.get(), -1) == 0);

    // Each unit re-encodes to at most the bytes it was decoded from.
    const int total = Utf16ToUtf8(units->data(), count, nullptr, 0);
    FUZZ_CHECK(total >= count && total <= len);
    auto utf8 = ExactBuffer<char>(total);
    FUZZ_CHECK(Utf16ToUtf8(units->data(), count, utf8.get(), total) == total);
    auto shortUtf8 = ExactBuffer<char>(total - 1);
    FUZZ_CHECK(Utf16ToUtf8(units->data(), count, shortUtf8.get(), total - 1) == 0);
    FUZZ_CHECK(DecodeWhole(utf8.get(), total) == units);
}

// The text up to its first NUL, in place, in an exact-size heap buffer: it
// either becomes the code page's form of the decoded units, never longer than
// the source, or stays as it was.
void CheckInPlaceConversion(const CodePageChoice& choice, const char* text, int len)
{
    const int length = static_cast<int>(strnlen(text, static_cast<size_t>(len)));
    auto buffer = ExactBuffer<char>(length + 1);
    std::memcpy(buffer.get(), text, static_cast<size_t>(length));
    buffer[length] = '\0';

    const bool converted = Utf8ToAnsiInPlace(buffer.get());

    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    const std::optional<std::u16string> units = DecodeWhole(text, length);
    std::string ansi;
    if (units) {
        const int count = static_cast<int>(units->size());
        ansi.resize(static_cast<size_t>(codePage.WideCharToMultiByte(units->data(), count, nullptr, 0)));
        codePage.WideCharToMultiByte(units->data(), count, ansi.data(), static_cast<int>(ansi.size()));
    }
    const bool fits = !ansi.empty() && ansi.size() <= static_cast<size_t>(length);
    if (units && choice.fitsInPlace)
        FUZZ_CHECK(fits);
    FUZZ_CHECK(converted == fits);
    if (converted) {
        FUZZ_CHECK(std::memcmp(buffer.get(), ansi.data(), ansi.size()) == 0);
        FUZZ_CHECK(buffer[ansi.size()] == '\0');
    } else {
        FUZZ_CHECK(std::memcmp(buffer.get(), text, static_cast<size_t>(length)) == 0);
        FUZZ_CHECK(buffer[length] == '\0');
    }

    // Plain ASCII is the same text in every one of these code pages.
    bool ascii = length > 0;
    for (int i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii)
        FUZZ_CHECK(converted && std::memcmp(buffer.get(), text, static_cast<size_t>(length)) == 0);
}

// The text as a typed name: refused exactly when it is empty, holds a lead
// byte or is invalid in the code page; otherwise its UTF-8 form decodes to the
// name's units and converts back to the very same name.
void CheckNameEncoding(const char* text, int len)
{
    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    const int length = static_cast<int>(strnlen(text, static_cast<size_t>(len)));
    bool singleBytes = true;
    for (int i = 0; i < length && singleBytes; ++i)
        singleBytes = !codePage.IsLeadByte(static_cast<unsigned char>(text[i]));
    const int count = codePage.MultiByteToWideChar(text, length, true, nullptr, 0);

    const std::string untouched = "\x01untouched";
    std::string utf8 = untouched;
    const bool encoded = AnsiToUtf8Name(std::string(text, static_cast<size_t>(len)), utf8);
    FUZZ_CHECK(encoded == (singleBytes && count > 0));
    if (!encoded) {
        FUZZ_CHECK(utf8 == untouched);
        return;
    }

    std::u16string wide(static_cast<size_t>(count), u'\0');
    FUZZ_CHECK(codePage.MultiByteToWideChar(text, length, false, wide.data(), count) == count);
    FUZZ_CHECK(utf8.size() <= 3 * wide.size());
    FUZZ_CHECK(DecodeWhole(utf8.data(), static_cast<int>(utf8.size())) == wide);

    auto back = ExactBuffer<char>(static_cast<int>(utf8.size()) + 1);
    std::memcpy(back.get(), utf8.c_str(), utf8.size() + 1);
    FUZZ_CHECK(Utf8ToAnsiInPlace(back.get()));
    FUZZ_CHECK(std::string(back.get()) == std::string(text, static_cast<size_t>(length)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 20)
        return 0;
    const CodePageChoice& choice = SelectCodePage(data[0]);
    const char* text = reinterpret_cast<const char*>(data + 1);
    const int len = static_cast<int>(size - 1);
    const int derivedCapacity = data[size - 1];

    CheckSequenceDecoding(text, len);
    CheckWholeTextDecoding(text, len, derivedCapacity);
    CheckInPlaceConversion(choice, text, len);
    CheckNameEncoding(text, len);
    return 0;
}
