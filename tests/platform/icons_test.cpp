// The program's pictures, drawn in code.
#include "platform/icons.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using platform::Picture;

namespace {
// Opaque pixels that differ clearly from the picture's commonest opaque colour: its mark (a letter,
// a sign, an edge). A plain filled shape has none; edges blended with the transparent ground are
// not opaque and do not count.
int markPixels(const QImage& image) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                ++counts[image.pixel(x, y)];
    if (counts.empty())
        return 0;
    QRgb ground = counts.begin()->first;
    for (const auto& [rgb, n] : counts)
        if (n > counts[ground])
            ground = rgb;
    int marks = 0;
    for (const auto& [rgb, n] : counts) {
        const int distance = std::abs(qRed(rgb) - qRed(ground)) + std::abs(qGreen(rgb) - qGreen(ground)) +
                             std::abs(qBlue(rgb) - qBlue(ground));
        if (distance > 90)
            marks += n;
    }
    return marks;
}
} // namespace

TEST(Icons, EveryPictureShowsAMarkAndNoTwoLookAlike) {
    std::vector<QImage> seen;
    // Backup is the first picture, Warning the last.
    for (int i = 0; i <= int(Picture::Warning); ++i) {
        const auto p = Picture(i);
        SCOPED_TRACE(i);
        // The job view's buttons show them at 16 pixels, the toolbar at 20 and 24.
        for (int size : {16, 24, 32}) {
            const QImage image = platform::picture(p, size).toImage().convertToFormat(QImage::Format_ARGB32);
            EXPECT_GE(markPixels(image), size / 2) << "a blank shape at " << size << " pixels";
        }
        const QImage image = platform::picture(p, 24).toImage();
        for (const QImage& other : seen)
            EXPECT_NE(image, other);
        seen.push_back(image);
    }
}
