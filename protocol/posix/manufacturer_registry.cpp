#include "protocol/posix/manufacturer_registry.h"

#include <glibmm/convert.h>
#include <glibmm/fileutils.h>
#include <glibmm/regex.h>

#include <memory>
#include <sstream>

namespace {
constexpr const char* kLists[] = {"oui.csv", "mam.csv", "oui36.csv", "iab.csv"};

// One "Registry,Assignment,Organization Name,…" line; the name is quoted
// when it holds a comma, its own quotes doubled.
const Glib::RefPtr<Glib::Regex>& LinePattern()
{
    static const auto pattern = Glib::Regex::create(
        R"re(^(MA-L|MA-M|MA-S|IAB),([0-9A-Fa-f]{6,9}),(?:"((?:[^"]|"")*)"|([^,"]*))(?:,|\r?$))re");
    return pattern;
}

unsigned BitsOf(const Glib::ustring& registry, size_t digits)
{
    const unsigned bits = registry == "MA-L" ? 24 : registry == "MA-M" ? 28 : 36;
    return digits * 4 == bits ? bits : 0;
}

// The older lists are not all UTF-8: Latin text is read as Windows-1252,
// anything else gets replacement characters, never a cut one.
std::string AsUtf8(const std::string& raw)
{
    if (g_utf8_validate(raw.data(), static_cast<gssize>(raw.size()), nullptr))
        return raw;
    try {
        return Glib::convert(raw, "UTF-8", "WINDOWS-1252");
    } catch (const Glib::Error&) {
        std::unique_ptr<gchar, decltype(&g_free)> valid(g_utf8_make_valid(raw.data(), static_cast<gssize>(raw.size())),
                                                         g_free);
        return valid.get();
    }
}

std::string Trimmed(std::string text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
}  // namespace

CManufacturerRegistry::CManufacturerRegistry(std::string folder) : m_folder(std::move(folder)) {}

void CManufacturerRegistry::Load()
{
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    for (const char* list : kLists)
        ReadList(m_folder + "/" + list);
}

void CManufacturerRegistry::ReadList(const std::string& file)
{
    std::string contents;
    try {
        contents = Glib::file_get_contents(file);
    } catch (const Glib::Error&) {
        return;
    }
    std::istringstream lines(contents);
    std::string line;
    while (std::getline(lines, line)) {
        // The pattern matches UTF-8 text, so the line is made UTF-8 first.
        // The match refers into the text: it must outlive the match.
        const Glib::ustring matchable = AsUtf8(line);
        Glib::MatchInfo match;
        if (!LinePattern()->match(matchable, match))
            continue;
        const Glib::ustring assignment = match.fetch(2);
        const unsigned bits = BitsOf(match.fetch(1), assignment.bytes());
        if (bits == 0)
            continue;
        std::string name = match.fetch(3).empty() ? std::string(match.fetch(4)) : std::string(match.fetch(3));
        for (size_t quote = name.find("\"\""); quote != std::string::npos; quote = name.find("\"\"", quote + 1))
            name.erase(quote, 1);
        name = Trimmed(std::move(name));
        if (!name.empty())
            m_blocks.emplace(Key(bits, std::stoull(assignment, nullptr, 16)), std::move(name));
    }
}

std::string CManufacturerRegistry::Lookup(const LinkRecord& record) const
{
    const unsigned char* a = record.address;
    const uint64_t shown = (uint64_t{a[4]} << 40) | (uint64_t{a[5]} << 32) | (uint64_t{a[3]} << 24) |
                           (uint64_t{a[0]} << 16) | (uint64_t{a[1]} << 8) | a[2];
    for (unsigned bits : {36u, 28u, 24u})
        if (auto block = m_blocks.find(Key(bits, shown >> (48 - bits))); block != m_blocks.end())
            return block->second;
    return {};
}

namespace {
std::string& SharedFolder()
{
    static std::string folder = CManufacturerRegistry::kDebianFolder;
    return folder;
}

std::unique_ptr<CManufacturerRegistry>& SharedRegistry()
{
    static std::unique_ptr<CManufacturerRegistry> registry;
    return registry;
}
}  // namespace

CManufacturerRegistry& CManufacturerRegistry::Shared()
{
    auto& registry = SharedRegistry();
    if (!registry)
        registry = std::make_unique<CManufacturerRegistry>(SharedFolder());
    return *registry;
}

void CManufacturerRegistry::SetSharedFolder(std::string folder)
{
    SharedFolder() = std::move(folder);
    SharedRegistry().reset();
}
