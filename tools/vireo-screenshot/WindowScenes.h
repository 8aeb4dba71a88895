#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

namespace vireo::pixels {

// A named control as it lay in the window when a picture was taken.
struct NamedPlace {
    QString name;
    QRect rect;
};

// One picture of the whole window, with the places of its visible named controls.
struct Capture {
    QString name;
    QImage image;
    std::vector<NamedPlace> places;
};

// The scene that the README shows: the window after a short walk of readings.
inline const QString kReadmeScene = QStringLiteral("usb-dc-volts-walk");

// Drives real windows through their links, serial and USB, with frames that together light
// every LCD member, fill the log and the chart over several pages and give Pass and Fail,
// and takes a picture after each step. Returns an empty list and says why on stderr when a
// step does not take effect.
std::vector<Capture> renderScenes();

// The names of the smallest named controls that overlap `rect`.
QStringList controlsUnder(const std::vector<NamedPlace> &places, const QRect &rect);

} // namespace vireo::pixels
