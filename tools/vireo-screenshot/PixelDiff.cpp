#include "PixelDiff.h"

#include <QPainter>

#include <numeric>

namespace vireo::pixels {

namespace {

// Differences closer than about one tile join into one region, so that a changed caption
// reports as one rectangle rather than one per glyph stroke.
constexpr int kTile = 8;
constexpr int kJoinGap = 12;

int findRoot(std::vector<int> &parent, int i)
{
    while (parent[static_cast<std::size_t>(i)] != i) {
        parent[static_cast<std::size_t>(i)] =
            parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])];
        i = parent[static_cast<std::size_t>(i)];
    }
    return i;
}

} // namespace

std::vector<DiffRegion> differingRegions(const QImage &baseline, const QImage &actual)
{
    if (baseline.size() != actual.size())
        return {{actual.rect().united(baseline.rect()), actual.width() * actual.height()}};
    const QImage a = baseline.convertToFormat(QImage::Format_ARGB32);
    const QImage b = actual.convertToFormat(QImage::Format_ARGB32);
    const int cols = (a.width() + kTile - 1) / kTile;
    const int rows = (a.height() + kTile - 1) / kTile;
    std::vector<DiffRegion> tiles(static_cast<std::size_t>(cols * rows));
    for (int y = 0; y < a.height(); ++y) {
        const auto *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (lineA[x] == lineB[x])
                continue;
            DiffRegion &tile = tiles[static_cast<std::size_t>((y / kTile) * cols + x / kTile)];
            tile.rect = tile.rect.united(QRect(x, y, 1, 1));
            ++tile.pixels;
        }
    }

    // Tiles with differences that touch (also diagonally) form one region.
    std::vector<int> parent(tiles.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int i = r * cols + c;
            if (tiles[static_cast<std::size_t>(i)].pixels == 0)
                continue;
            for (const auto &[dr, dc] : {std::pair{0, 1}, {1, -1}, {1, 0}, {1, 1}}) {
                const int nr = r + dr;
                const int nc = c + dc;
                if (nr >= rows || nc < 0 || nc >= cols)
                    continue;
                const int j = nr * cols + nc;
                if (tiles[static_cast<std::size_t>(j)].pixels != 0)
                    parent[static_cast<std::size_t>(findRoot(parent, j))] = findRoot(parent, i);
            }
        }
    }
    std::vector<DiffRegion> merged(tiles.size());
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i].pixels == 0)
            continue;
        DiffRegion &root = merged[static_cast<std::size_t>(findRoot(parent, static_cast<int>(i)))];
        root.rect = root.rect.united(tiles[i].rect);
        root.pixels += tiles[i].pixels;
    }
    std::vector<DiffRegion> regions;
    for (const DiffRegion &region : merged) {
        if (region.pixels != 0)
            regions.push_back(region);
    }
    // Regions whose rectangles come closer than a log row, or overlap, are one change.
    for (bool joined = true; joined;) {
        joined = false;
        for (std::size_t i = 0; i < regions.size() && !joined; ++i) {
            for (std::size_t j = i + 1; j < regions.size() && !joined; ++j) {
                if (!regions[i]
                         .rect.adjusted(-kJoinGap, -kJoinGap, kJoinGap, kJoinGap)
                         .intersects(regions[j].rect))
                    continue;
                regions[i].rect = regions[i].rect.united(regions[j].rect);
                regions[i].pixels += regions[j].pixels;
                regions.erase(regions.begin() + static_cast<std::ptrdiff_t>(j));
                joined = true;
            }
        }
    }
    return regions;
}

QImage diffPicture(const QImage &baseline, const QImage &actual,
                   const std::vector<DiffRegion> &regions)
{
    QImage picture = baseline.convertToFormat(QImage::Format_ARGB32);
    {
        QPainter wash(&picture);
        wash.fillRect(picture.rect(), QColor(255, 255, 255, 190));
    }
    if (baseline.size() == actual.size()) {
        const QImage a = baseline.convertToFormat(QImage::Format_ARGB32);
        const QImage b = actual.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < a.height(); ++y) {
            const auto *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
            const auto *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
            auto *out = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < a.width(); ++x) {
                if (lineA[x] != lineB[x])
                    out[x] = qRgb(255, 0, 255);
            }
        }
    }
    QPainter frame(&picture);
    frame.setPen(QPen(QColor(0, 0, 255), 1));
    for (const DiffRegion &region : regions)
        frame.drawRect(region.rect.adjusted(-2, -2, 1, 1));
    return picture;
}

} // namespace vireo::pixels
