#pragma once
// Checks a drawing pixel for pixel against its approved PNG in tests/data/golden/.
// ZEMBERA_UPDATE_GOLDEN=1 writes the PNG instead: look at it before committing it.

#include <QImage>
#include <QString>

#include "support/golden.h"

namespace zembera::test {

// Reports the size or the first differing pixel and how many differ.
inline void expectGoldenImage(const std::string& name, const QImage& image) {
    const auto file = goldenPath(name);
    const QImage now = image.convertToFormat(QImage::Format_RGB32);
    if (updatingGolden()) {
        std::filesystem::create_directories(file.parent_path());
        ASSERT_TRUE(now.save(QString::fromStdString(file.string()), "PNG"));
        return;
    }
    QImage approved(QString::fromStdString(file.string()));
    ASSERT_FALSE(approved.isNull()) << file << " is missing; run once with ZEMBERA_UPDATE_GOLDEN=1";
    approved = approved.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(approved.size(), now.size()) << name;
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < now.height(); ++y)
        for (int x = 0; x < now.width(); ++x)
            if (now.pixel(x, y) != approved.pixel(x, y) && differing++ == 0) firstX = x, firstY = y;
    EXPECT_EQ(differing, 0) << name << ": first at (" << firstX << "," << firstY << ") now #"
                            << std::hex << (firstX < 0 ? 0 : now.pixel(firstX, firstY))
                            << ", approved #" << (firstX < 0 ? 0 : approved.pixel(firstX, firstY));
}

} // namespace zembera::test
