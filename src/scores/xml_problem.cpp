#include "scores/xml_problem.h"

#include <array>
#include <utility>

namespace zembera::scores {

std::string xmlProblem(const QXmlStreamReader& xml, std::string_view text) {
    // The reader's texts, by a word or two each, and what they mean.
    static constexpr std::array<std::pair<const char*, const char*>, 16> known{{
        {"entity expansion limit", "bir varlık (entity) izin verilenden çok büyüyor"},
        {"Self-referencing entity", "bir varlık (entity) kendini içeriyor"},
        {"Recursive entity", "bir varlık (entity) kendini içeriyor"},
        {"Start tag expected", "başlangıç etiketi bekleniyordu"},
        {"tag mismatch", "açılış ve kapanış etiketleri uyuşmuyor"},
        {"Extra content at end", "belgenin sonunda fazladan içerik var"},
        {"not declared", "tanımlanmamış bir ad kullanılıyor"},
        {"incorrectly encoded", "karakter kodlaması bozuk"},
        {"Encoding", "desteklenmeyen karakter kodlaması"},
        {"encoding name", "desteklenmeyen karakter kodlaması"},
        {"XML version", "desteklenmeyen XML sürümü"},
        {"Invalid XML character", "XML'de geçersiz bir karakter"},
        {"Invalid XML name", "geçersiz bir XML adı"},
        {"redefined", "bir öznitelik iki kez yazılmış"},
        {"character data", "metin bekleniyordu"},
        {"Unexpected", "beklenmeyen bir karakter"},
    }};
    if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
        if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return "dosya boş";
        if (text.find('<') == std::string_view::npos) return "XML değil (hiç etiket yok)";
        return "dosya yarıda bitiyor";
    }
    const QString said = xml.errorString();
    for (const auto& [words, reason] : known)
        if (said.contains(QLatin1String(words))) return reason;
    // A text not listed (or translated by the toolkit).
    return "XML kurallarına uymuyor";
}

} // namespace zembera::scores
