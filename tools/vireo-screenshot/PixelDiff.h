#pragma once

#include <QImage>
#include <QRect>

#include <vector>

namespace vireo::pixels {

// A connected area where two pictures differ, with the number of differing pixels in it.
struct DiffRegion {
    QRect rect;
    int pixels = 0;
};

// The areas where `actual` differs from `baseline`, pixel for pixel; empty when identical.
// Pictures of different sizes differ everywhere.
std::vector<DiffRegion> differingRegions(const QImage &baseline, const QImage &actual);

// The baseline washed out, with every differing pixel in magenta and each region framed.
QImage diffPicture(const QImage &baseline, const QImage &actual,
                   const std::vector<DiffRegion> &regions);

} // namespace vireo::pixels
