#include "protocol/ansi_code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string_view>

namespace {

constexpr char kWideCode[] = "UTF-16LE";
constexpr char kUtf8Code[] = "UTF-8";
// Every code page that can hold the user's text keeps ASCII as single bytes,
// so its "?" is the ASCII one.
constexpr std::string_view kDefaultChar = "?";
constexpr std::string_view kWideReplacement = "\xFD\xFF"; // U+FFFD, little-endian

using IconvHandle = std::unique_ptr<void, int (*)(iconv_t)>;

IconvHandle OpenIconv(const char* toCode, const char* fromCode)
{
    iconv_t cd = iconv_open(toCode, fromCode);
    return IconvHandle(cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd, &iconv_close);
}

// Converts the whole of `in` into `out`. Where iconv stops at a sequence that
// is invalid, cut short or has no mapping, `skip` says how many input bytes
// to pass over (0: give up) and `replacement` is written in their place.
bool RunIconv(const char* toCode, const char* fromCode, std::string_view in, std::string& out,
              std::string_view replacement, const std::function<size_t(std::string_view)>& skip)
{
    IconvHandle cd = OpenIconv(toCode, fromCode);
    if (!cd)
        return false;
    out.assign(in.size() * 4 + 16, '\0');
    size_t used = 0;
    char* inPtr = const_cast<char*>(in.data()); // iconv's signature; input is only read
    size_t inLeft = in.size();
    bool flushing = false;
    for (;;) {
        char* outPtr = out.data() + used;
        size_t outLeft = out.size() - used;
        size_t result = flushing ? iconv(cd.get(), nullptr, nullptr, &outPtr, &outLeft)
                                 : iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (result != static_cast<size_t>(-1)) {
            if (flushing)
                break;
            flushing = true; // all input taken: let stateful encodings return to their initial state
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (errno != EILSEQ && errno != EINVAL)
            return false;
        size_t count = skip(std::string_view(inPtr, inLeft));
        if (count == 0)
            return false;
        count = std::min(count, inLeft);
        if (out.size() - used < replacement.size())
            out.resize(out.size() * 2 + replacement.size());
        std::memcpy(out.data() + used, replacement.data(), replacement.size());
        used += replacement.size();
        inPtr += count;
        inLeft -= count;
    }
    out.resize(used);
    return true;
}

size_t SkipOneByte(std::string_view)
{
    return 1;
}

size_t FailAtInvalid(std::string_view)
{
    return 0;
}

char16_t UnitAt(std::string_view bytes, size_t index)
{
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                 static_cast<unsigned char>(bytes[2 * index + 1]) << 8);
}

// A character iconv could not map is one unit, or two for a surrogate pair.
size_t SkipOneWideChar(std::string_view rest)
{
    if (rest.size() >= 4) {
        char16_t first = UnitAt(rest, 0);
        char16_t second = UnitAt(rest, 1);
        if (first >= 0xD800 && first <= 0xDBFF && second >= 0xDC00 && second <= 0xDFFF)
            return 4;
    }
    return 2;
}

bool Widen(std::string_view text, const char* fromCode, bool failOnInvalid, std::u16string& wide)
{
    std::string bytes;
    if (!RunIconv(kWideCode, fromCode, text, bytes, kWideReplacement, failOnInvalid ? FailAtInvalid : SkipOneByte))
        return false;
    wide.resize(bytes.size() / 2);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = UnitAt(bytes, i);
    return true;
}

bool Narrow(std::u16string_view wide, const char* toCode, std::string& text)
{
    std::string bytes(wide.size() * 2, '\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<char>(wide[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(wide[i] >> 8);
    }
    return RunIconv(toCode, kWideCode, bytes, text, kDefaultChar, SkipOneWideChar);
}

// Copies a result to a caller's buffer the way the size-query interfaces
// answer: the count, or 0 when it is empty, too long for an int or too big.
template <typename Unit>
int Deliver(const std::basic_string<Unit>& result, Unit* dst, int capacity)
{
    if (result.empty() || result.size() > static_cast<size_t>(INT_MAX))
        return 0;
    int count = static_cast<int>(result.size());
    if (dst) {
        if (count > capacity)
            return 0;
        std::copy(result.begin(), result.end(), dst);
    }
    return count;
}

// "UTF-8", "utf8", "UTF_8"...
bool IsUtf8Name(std::string name)
{
    std::erase_if(name, [](char c) { return c == '-' || c == '_'; });
    return strcasecmp(name.c_str(), "UTF8") == 0;
}

std::mutex g_registryLock;

// Code pages made so far, by name; never freed before exit so references
// handed out stay valid.
std::map<std::string, std::unique_ptr<CAnsiCodePage>>& Pages()
{
    static std::map<std::string, std::unique_ptr<CAnsiCodePage>> pages;
    return pages;
}

std::string& Selected()
{
    static std::string selected;
    return selected;
}

} // namespace

CAnsiCodePage::CAnsiCodePage(std::string name) : m_name(std::move(name))
{
    // A byte leads a double-byte character when iconv, given it alone, asks
    // for more. UTF-8 is left out: its sequences are not double-byte
    // characters.
    if (IsUtf8Name(m_name))
        return;
    IconvHandle cd = OpenIconv(kWideCode, m_name.c_str());
    if (!cd)
        return;
    for (int byte = 0; byte < 256; ++byte) {
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        char in = static_cast<char>(byte);
        char out[16];
        char* inPtr = &in;
        char* outPtr = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        if (iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) && errno == EINVAL)
            m_leadBytes[byte] = true;
    }
}

CAnsiCodePage& CAnsiCodePage::Current()
{
    std::lock_guard lock(g_registryLock);
    std::string name = Selected();
    if (name.empty())
        name = nl_langinfo(CODESET);
    auto& slot = Pages()[name];
    if (!slot)
        slot.reset(new CAnsiCodePage(name));
    return *slot;
}

void CAnsiCodePage::Select(const std::string& codeset)
{
    if (!codeset.empty() && (!OpenIconv(kWideCode, codeset.c_str()) || !OpenIconv(codeset.c_str(), kWideCode)))
        throw std::invalid_argument("unknown code page: " + codeset);
    std::lock_guard lock(g_registryLock);
    Selected() = codeset;
}

int CAnsiCodePage::MultiByteToWideChar(const char* src, int len, bool failOnInvalid, char16_t* dst,
                                       int capacity) const
{
    if (!src || len <= 0)
        return 0;
    std::u16string wide;
    if (!Widen(std::string_view(src, static_cast<size_t>(len)), m_name.c_str(), failOnInvalid, wide))
        return 0;
    return Deliver(wide, dst, capacity);
}

int CAnsiCodePage::WideCharToMultiByte(const char16_t* src, int count, char* dst, int capacity) const
{
    if (!src || count <= 0)
        return 0;
    std::string text;
    if (!Narrow(std::u16string_view(src, static_cast<size_t>(count)), m_name.c_str(), text))
        return 0;
    return Deliver(text, dst, capacity);
}

std::string CAnsiCodePage::FromUtf8(const std::string& utf8) const
{
    std::u16string wide;
    std::string text;
    if (!Widen(utf8, kUtf8Code, false, wide) || !Narrow(wide, m_name.c_str(), text))
        return {};
    return text;
}

std::string CAnsiCodePage::ToUtf8(const std::string& ansi) const
{
    std::u16string wide;
    std::string text;
    if (!Widen(ansi, m_name.c_str(), false, wide) || !Narrow(wide, kUtf8Code, text))
        return {};
    return text;
}

int CAnsiCodePage::ByteLength(const std::string& utf8) const
{
    size_t length = FromUtf8(utf8).size();
    return length > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
}
