#include "platform/linux/LocaleLanguage.h"

#include <array>
#include <cctype>
#include <string_view>

namespace platform {

namespace {

struct LocaleId
{
    std::string_view language;
    std::string_view territory;
    int id;
};

constexpr int kUsEnglish = 1033;

// The first row of a language is the one a locale without a known territory gets.
constexpr std::array kLocaleIds{
    LocaleId{"en", "US", 1033},  LocaleId{"en", "GB", 2057},  LocaleId{"en", "AU", 3081},
    LocaleId{"en", "CA", 4105},  LocaleId{"en", "NZ", 5129},  LocaleId{"en", "IE", 6153},
    LocaleId{"en", "ZA", 7177},  LocaleId{"en", "IN", 16393}, LocaleId{"de", "DE", 1031},
    LocaleId{"de", "CH", 2055},  LocaleId{"de", "AT", 3079},  LocaleId{"de", "LU", 4103},
    LocaleId{"de", "LI", 5127},  LocaleId{"fr", "FR", 1036},  LocaleId{"fr", "BE", 2060},
    LocaleId{"fr", "CA", 3084},  LocaleId{"fr", "CH", 4108},  LocaleId{"fr", "LU", 5132},
    LocaleId{"es", "ES", 3082},  LocaleId{"es", "MX", 2058},  LocaleId{"es", "CO", 9226},
    LocaleId{"es", "AR", 11274}, LocaleId{"es", "CL", 13322}, LocaleId{"es", "US", 21514},
    LocaleId{"it", "IT", 1040},  LocaleId{"it", "CH", 2064},  LocaleId{"pt", "BR", 1046},
    LocaleId{"pt", "PT", 2070},  LocaleId{"nl", "NL", 1043},  LocaleId{"nl", "BE", 2067},
    LocaleId{"ja", "JP", 1041},  LocaleId{"ko", "KR", 1042},  LocaleId{"zh", "CN", 2052},
    LocaleId{"zh", "TW", 1028},  LocaleId{"zh", "HK", 3076},  LocaleId{"zh", "SG", 4100},
    LocaleId{"ru", "RU", 1049},  LocaleId{"uk", "UA", 1058},  LocaleId{"be", "BY", 1059},
    LocaleId{"pl", "PL", 1045},  LocaleId{"cs", "CZ", 1029},  LocaleId{"sk", "SK", 1051},
    LocaleId{"hu", "HU", 1038},  LocaleId{"ro", "RO", 1048},  LocaleId{"bg", "BG", 1026},
    LocaleId{"el", "GR", 1032},  LocaleId{"tr", "TR", 1055},  LocaleId{"sv", "SE", 1053},
    LocaleId{"sv", "FI", 2077},  LocaleId{"da", "DK", 1030},  LocaleId{"nb", "NO", 1044},
    LocaleId{"no", "NO", 1044},  LocaleId{"nn", "NO", 2068},  LocaleId{"fi", "FI", 1035},
    LocaleId{"is", "IS", 1039},  LocaleId{"et", "EE", 1061},  LocaleId{"lv", "LV", 1062},
    LocaleId{"lt", "LT", 1063},  LocaleId{"sl", "SI", 1060},  LocaleId{"hr", "HR", 1050},
    LocaleId{"sr", "RS", 10266}, LocaleId{"he", "IL", 1037},  LocaleId{"ar", "SA", 1025},
    LocaleId{"ar", "EG", 3073},  LocaleId{"fa", "IR", 1065},  LocaleId{"hi", "IN", 1081},
    LocaleId{"th", "TH", 1054},  LocaleId{"vi", "VN", 1066},  LocaleId{"id", "ID", 1057},
    LocaleId{"ms", "MY", 1086},  LocaleId{"ca", "ES", 1027},  LocaleId{"eu", "ES", 1069},
    LocaleId{"gl", "ES", 1110},
};

// Serbian in Latin letters has ids of its own; Cyrillic is the locale's default.
constexpr int kSerbianLatin = 9242;

// Locale names are compared as "ll_TT": language in small, territory in capital letters.
std::string inCase(std::string_view text, bool capitals)
{
    std::string out;
    for (const char c : text) {
        const auto letter = static_cast<unsigned char>(c);
        out += static_cast<char>(capitals ? std::toupper(letter) : std::tolower(letter));
    }
    return out;
}

} // namespace

int languageIdOfLocale(const std::string& locale)
{
    // language[_territory][.codeset][@modifier]
    const std::string_view name(locale);
    const std::size_t at = name.find('@');
    const std::string modifier = at == std::string_view::npos ? "" : inCase(name.substr(at + 1), false);
    const std::string_view withoutModifier = name.substr(0, at);
    const std::string_view base = withoutModifier.substr(0, withoutModifier.find('.'));
    const std::size_t underscore = base.find('_');
    const std::string language = inCase(base.substr(0, underscore), false);
    const std::string territory =
        underscore == std::string_view::npos ? "" : inCase(base.substr(underscore + 1), true);

    if (language == "sr" && modifier == "latin") {
        return kSerbianLatin;
    }
    int languageDefault = kUsEnglish;
    bool languageKnown = false;
    for (const LocaleId& row : kLocaleIds) {
        if (row.language != language) {
            continue;
        }
        if (row.territory == territory) {
            return row.id;
        }
        if (!languageKnown) {
            languageDefault = row.id;
            languageKnown = true;
        }
    }
    return languageDefault;
}

} // namespace platform
