#include "scores/mxl_archive.h"

#include <QXmlStreamReader>
#include <memory>
#include <zip.h>

#include "scores/score.h"

namespace zembera::scores {
namespace {

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

// The entry's text, refused when it would inflate beyond the limit.
std::string entryText(zip_t* archive, zip_int64_t index, const std::string& fileName) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) != 0)
        throwScoreError(fileName, "arşivdeki dosya okunamadı");
    if ((st.valid & ZIP_STAT_SIZE) && st.size > static_cast<zip_uint64_t>(kMaxScoreBytes))
        throwScoreError(fileName, "arşivdeki partisyon çok büyük");
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
    if (!file) throwScoreError(fileName, "arşivdeki dosya açılamadı");
    std::string text;
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            zip_fclose(file);
            throwScoreError(fileName, "arşivdeki dosya bozuk");
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > static_cast<std::size_t>(kMaxScoreBytes)) {
            zip_fclose(file);
            throwScoreError(fileName, "arşivdeki partisyon çok büyük");
        }
    }
    zip_fclose(file);
    return text;
}

// The first rootfile of the container that is a MusicXML score (its media type says so, or it
// names none), or an empty text.
std::string rootFilePath(const std::string& container) {
    QXmlStreamReader xml(QByteArray::fromStdString(container));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"rootfile") continue;
        const QStringView type = xml.attributes().value("media-type");
        if (type.isEmpty() || type.contains(u"musicxml"))
            return xml.attributes().value("full-path").toString().toStdString();
    }
    return {};
}

// The resource forks macOS adds to an archive ("__MACOSX/", "._name") are not scores.
bool macResource(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    return name.rfind("__MACOSX/", 0) == 0 ||
           name.compare(slash == std::string::npos ? 0 : slash + 1, 2, "._") == 0;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::string mxlScoreText(std::string_view bytes, const std::string& fileName) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) throwScoreError(fileName, "zip arşivi açılamadı");
    // Read as unzip reads: by the central directory. A strict check of the local headers
    // against it refuses archives other programs write (macOS's Archive Utility writes other
    // versions and times there), and the container description asks for no such check.
    Archive archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        throwScoreError(fileName, "zip arşivi değil ya da bozuk");
    }
    std::string path;
    const zip_int64_t container = zip_name_locate(archive.get(), "META-INF/container.xml", 0);
    if (container >= 0) path = rootFilePath(entryText(archive.get(), container, fileName));
    if (path.empty()) {
        const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
        for (zip_int64_t i = 0; i < count && path.empty(); ++i) {
            const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
            if (!name) continue;
            const std::string n = name;
            if (n.rfind("META-INF/", 0) != 0 && !macResource(n) &&
                (endsWith(n, ".musicxml") || endsWith(n, ".xml")))
                path = n;
        }
    }
    if (path.empty()) throwScoreError(fileName, "arşivde partisyon yok");
    const zip_int64_t index = zip_name_locate(archive.get(), path.c_str(), 0);
    if (index < 0) throwScoreError(fileName, "arşivde partisyon yok (" + path + ")");
    return entryText(archive.get(), index, fileName);
}

} // namespace zembera::scores
