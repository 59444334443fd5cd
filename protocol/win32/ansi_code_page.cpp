#include "protocol/ansi_code_page.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "serial/wide_text.h"

namespace {

constexpr unsigned kUtf8 = CP_UTF8;
constexpr unsigned kGb18030 = 54936;

struct SRegistry {
    std::mutex lock;
    std::map<unsigned, std::unique_ptr<CAnsiCodePage>> pages;
    std::optional<unsigned> selected;
};

SRegistry& Registry()
{
    static SRegistry registry;
    return registry;
}

std::string NameOf(unsigned codePage)
{
    return codePage == kUtf8 ? "UTF-8" : "CP" + std::to_string(codePage);
}

// "CP<n>", a bare number, or UTF-8 in either spelling; 0 for anything else.
unsigned ParseName(const std::string& name)
{
    if (name == "UTF-8" || name == "UTF8" || name == "utf-8")
        return kUtf8;
    if (name == "GB18030")
        return kGb18030;
    std::string_view digits = name;
    if (digits.size() > 2 && (digits.substr(0, 2) == "CP" || digits.substr(0, 2) == "cp"))
        digits.remove_prefix(2);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return 0;
    return static_cast<unsigned>(std::stoul(std::string(digits)));
}

// Unpaired surrogates become "?", as any character the code page lacks
// (the system would make them U+FFFD in UTF-8); so does a pair in a page
// without characters beyond the BMP, once, where the system gives "??".
std::u16string WithReplacements(const char16_t* src, int count, bool keepPairs)
{
    std::u16string text;
    text.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char16_t unit = src[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < count && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
            if (keepPairs)
                text.append(src + i, 2);
            else
                text.push_back(u'?');
            ++i;
        } else {
            text.push_back(high || low ? u'?' : unit);
        }
    }
    return text;
}

// The system gives the bytes a single-byte page leaves undefined (0x81 in
// CP1252) as the C1 controls; they hold no character of the page.
bool IsUndefinedByte(char16_t unit)
{
    return unit >= 0x80 && unit <= 0x9F;
}

} // namespace

CAnsiCodePage& CAnsiCodePage::Current()
{
    SRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    const unsigned codePage = registry.selected.value_or(GetACP());
    auto& page = registry.pages[codePage];
    if (!page)
        page.reset(new CAnsiCodePage(NameOf(codePage), codePage));
    return *page;
}

void CAnsiCodePage::Select(const std::string& codeset)
{
    SRegistry& registry = Registry();
    if (codeset.empty()) {
        std::lock_guard guard(registry.lock);
        registry.selected.reset();
        return;
    }
    const unsigned codePage = ParseName(codeset);
    if (codePage == 0 || !IsValidCodePage(codePage))
        throw std::invalid_argument("unknown code page: " + codeset);
    std::lock_guard guard(registry.lock);
    registry.selected = codePage;
}

CAnsiCodePage::CAnsiCodePage(std::string name, unsigned codePage) : m_name(std::move(name)), m_codePage(codePage)
{
    CPINFO info{};
    if (codePage == kUtf8 || !GetCPInfo(codePage, &info))
        return;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
            m_leadBytes[b] = true;
    }
}

int CAnsiCodePage::MultiByteToWideChar(const char* src, int len, bool failOnInvalid, char16_t* dst,
                                       int capacity) const
{
    if (len <= 0)
        return 0;
    const DWORD flags = failOnInvalid ? MB_ERR_INVALID_CHARS : 0;
    const int n = ::MultiByteToWideChar(m_codePage, flags, src, len, nullptr, 0);
    if (n <= 0)
        return 0;
    std::u16string wide(static_cast<size_t>(n), u'\0');
    ::MultiByteToWideChar(m_codePage, flags, src, len, reinterpret_cast<wchar_t*>(wide.data()), n);
    // In UTF-8 the C1 controls are characters like any other.
    if (m_codePage != kUtf8) {
        for (char16_t& unit : wide) {
            if (IsUndefinedByte(unit) && failOnInvalid)
                return 0;
            if (IsUndefinedByte(unit))
                unit = 0xFFFD;
        }
    }
    if (!dst)
        return n;
    // Too small a buffer is left as it was.
    if (n > capacity)
        return 0;
    wide.copy(dst, wide.size());
    return n;
}

int CAnsiCodePage::WideCharToMultiByte(const char16_t* src, int count, char* dst, int capacity) const
{
    if (count <= 0)
        return 0;
    const std::u16string text = WithReplacements(src, count, m_codePage == kUtf8 || m_codePage == kGb18030);
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    // UTF-8 has every character and takes neither flag nor default.
    const bool utf8 = m_codePage == kUtf8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = utf8 ? nullptr : "?";
    const int n = ::WideCharToMultiByte(m_codePage, flags, wide, units, nullptr, 0, defaultChar, nullptr);
    if (n <= 0 || !dst)
        return n > 0 ? n : 0;
    if (n > capacity)
        return 0;
    return ::WideCharToMultiByte(m_codePage, flags, wide, units, dst, capacity, defaultChar, nullptr);
}

std::string CAnsiCodePage::FromUtf8(const std::string& utf8) const
{
    const std::wstring wide = Utf8ToUtf16(utf8);
    const auto* units = reinterpret_cast<const char16_t*>(wide.data());
    const int n = static_cast<int>(wide.size());
    std::string text(static_cast<size_t>(WideCharToMultiByte(units, n, nullptr, 0)), '\0');
    WideCharToMultiByte(units, n, text.data(), static_cast<int>(text.size()));
    return text;
}

std::string CAnsiCodePage::ToUtf8(const std::string& ansi) const
{
    const int len = static_cast<int>(ansi.size());
    const int n = MultiByteToWideChar(ansi.data(), len, false, nullptr, 0);
    if (n <= 0)
        return {};
    std::u16string wide(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(ansi.data(), len, false, wide.data(), n);
    return Utf16ToUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(wide.data()), wide.size()));
}

int CAnsiCodePage::ByteLength(const std::string& utf8) const
{
    return static_cast<int>(FromUtf8(utf8).size());
}
