// The version resource as the about window reads it: every answer of the version API (module
// handle and path, block size and bytes, each queried value) comes from the input.
#include "FuzzSupport.h"
#include "about/VersionInfo.h"
#include "platform/VersionApi.h"

namespace {

class FuzzedVersionApi final : public VersionApi {
public:
    explicit FuzzedVersionApi(FuzzedDataProvider& in) : m_in(in) {}

    std::uintptr_t ModuleHandle(const std::string&) override {
        return m_in.ConsumeBool() ? 0 : m_in.ConsumeIntegral<std::uintptr_t>();
    }
    std::string ModuleFileName(std::uintptr_t) override { return m_in.ConsumeRandomLengthString(300); }
    std::uint32_t VersionInfoSize(const std::string& file) override {
        FUZZ_CHECK(!file.empty());
        return m_in.ConsumeBool() ? 0 : m_in.ConsumeIntegralInRange<std::uint32_t>(1, 4096);
    }
    std::optional<std::vector<std::uint8_t>> VersionInfo(const std::string&, std::uint32_t size) override {
        return MaybeBytes(1, size);
    }
    // Any value, of any length: a translation or fixed block shorter than the reader expects too.
    std::optional<std::vector<std::uint8_t>> QueryValue(const std::vector<std::uint8_t>& block,
                                                        const std::string& subBlock) override {
        FUZZ_CHECK(!block.empty());
        auto answer = MaybeBytes(0, 80);
        if (subBlock == "\\VarFileInfo\\Translation") {
            translation = answer;
        }
        return answer;
    }

    std::optional<std::vector<std::uint8_t>> translation;  // the last load's

private:
    // No answer, or from `least` to `most` bytes.
    std::optional<std::vector<std::uint8_t>> MaybeBytes(std::size_t least, std::size_t most) {
        if (m_in.ConsumeBool()) {
            return std::nullopt;
        }
        auto bytes = m_in.ConsumeBytes<std::uint8_t>(m_in.ConsumeIntegralInRange(least, most));
        bytes.resize(std::max(bytes.size(), least), 0);
        return bytes;
    }

    FuzzedDataProvider& m_in;
};

// No error, or one of the about window's own.
bool IsKnownError(std::int32_t number) {
    const auto value = static_cast<std::uint32_t>(number);
    return value == 0 || (value >= static_cast<std::uint32_t>(VersionError::ModuleHandle) &&
                          value <= static_cast<std::uint32_t>(VersionError::FixedInfo));
}

// What the about window relies on whatever the resource holds; which values a well-formed
// resource gives is VersionInfoTest's.
void CheckInfo(VersionInfo& info, const FuzzedVersionApi& api) {
    FUZZ_CHECK(IsKnownError(info.Error().number));
    FUZZ_CHECK(info.Error().Failed() == !info.Error().description.empty());
    if (info.Error().Failed()) {
        FUZZ_CHECK(!VersionErrorMessage(info.Error()).empty());
    }

    // The translation key, when there is one, is the language and code page in eight hex digits.
    const std::string& key = info.TranslationKeyText();
    if (!key.empty()) {
        FUZZ_CHECK(key.size() == 8);
        FUZZ_CHECK(key.find_first_not_of("0123456789ABCDEF") == std::string::npos);
        const auto whole = static_cast<std::uint32_t>(std::strtoul(key.c_str(), nullptr, 16));
        FUZZ_CHECK(info.Language() == whole >> 16 && info.CodePage() == (whole & 0xFFFF));
        if (api.translation && api.translation->size() >= 4) {
            // The first language and code page the block lists; US English, Windows Latin-1 for zeros.
            const auto& t = *api.translation;
            const std::uint32_t language = t[0] | (t[1] << 8);
            const std::uint32_t codePage = t[2] | (t[3] << 8);
            FUZZ_CHECK(whole == ((language | codePage) != 0 ? language << 16 | codePage : 0x040904E4U));
        }
    }

    // Every string comes without NUL.
    for (const std::string& text :
         {info.CompanyName(), info.FileDescription(), info.FileVersion(), info.InternalName(), info.LegalCopyright(),
          info.OriginalFileName(), info.ProductName(), info.ProductVersion(), info.LegalTrademarks(),
          info.LegalTrademarks1(), info.LegalTrademarks2(), info.Comments(), info.PrivateBuild(), info.SpecialBuild(),
          info.FileFlags(), info.FileOS(), info.FileType(), info.FileSubType()}) {
        FUZZ_CHECK(text.find('\0') == std::string::npos);
    }
}

}  // namespace

void fuzz::FuzzOne(FuzzedDataProvider& in) {
    FuzzedVersionApi api(in);

    VersionInfo info(api);
    for (int load = 0; load < 3 && in.remaining_bytes() > 0; ++load) {
        api.translation.reset();
        if (in.ConsumeBool()) {
            info.SetFileName(in.ConsumeRandomLengthString(300));
        } else {
            info.SetModuleName(in.ConsumeRandomLengthString(300));
        }
        CheckInfo(info, api);
    }

    ErrorRecord error;
    const std::string version = GetVersionText(api, in.ConsumeRandomLengthString(300), in.ConsumeBool(), &error);
    FUZZ_CHECK(version.find('\0') == std::string::npos);
    FUZZ_CHECK(IsKnownError(error.number));
}
