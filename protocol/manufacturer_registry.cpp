#include "protocol/manufacturer_registry.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "protocol/csv_reader.h"
#include "protocol/utf8_text.h"

namespace {
constexpr const char* kLists[] = {"oui.csv", "mam.csv", "oui36.csv", "iab.csv"};

// A "Registry,Assignment,Organization Name,…" record: the registry and the
// block's prefix in hexadecimal, 6 to 9 digits.
bool IsBlock(const std::string& registry, const std::string& assignment)
{
    return (registry == "MA-L" || registry == "MA-M" || registry == "MA-S" || registry == "IAB") &&
           assignment.size() >= 6 && assignment.size() <= 9 &&
           assignment.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
}

unsigned BitsOf(const std::string& registry, size_t digits)
{
    const unsigned bits = registry == "MA-L" ? 24 : registry == "MA-M" ? 28 : 36;
    return digits * 4 == bits ? bits : 0;
}

// The older lists are not all UTF-8: Latin text is read as Windows-1252,
// anything else gets replacement characters, never a cut one.
std::string AsUtf8(const std::string& raw)
{
    if (CUtf8Text::IsValid(raw))
        return raw;
    std::string latin;
    if (CUtf8Text::FromWindows1252(raw, latin))
        return latin;
    return CUtf8Text::MadeValid(raw);
}

// A folder named in UTF-8 (the bytes as they are on POSIX).
std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool ReadWhole(const std::filesystem::path& file, std::string& contents)
{
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        return false;
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return false;
    contents.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return !stream.bad();
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
        ReadList(list);
}

void CManufacturerRegistry::ReadList(const char* file)
{
    std::string contents;
    if (!ReadWhole(PathOf(m_folder) / file, contents))
        return;
    CCsvReader records(contents);
    std::vector<std::string> fields;
    while (records.Next(fields)) {
        if (fields.size() < 3 || !IsBlock(fields[0], fields[1]))
            continue;
        const unsigned bits = BitsOf(fields[0], fields[1].size());
        if (bits == 0)
            continue;
        std::string name = Trimmed(AsUtf8(fields[2]));
        if (!name.empty())
            m_blocks.emplace(Key(bits, std::stoull(fields[1], nullptr, 16)), std::move(name));
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
    static std::string folder = CManufacturerRegistry::DefaultFolder();
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
