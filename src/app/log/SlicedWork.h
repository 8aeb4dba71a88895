#pragma once

#include <QString>

#include <cstddef>
#include <functional>

class QWidget;

namespace vireo {

// Runs work on the log that may take seconds, such as saving ten million rows, on the GUI
// thread a slice at a time. Large work shows a modal progress box and lets the event loop run
// between slices of a few dozen milliseconds, so the window keeps painting and the links keep
// delivering readings; the box has no Cancel, since stopping half-way would leave a file or
// the log half done. Small work runs straight through, as it always did.
//
// step() does one slice and answers whether work is left; done() tells how far the work has
// got, out of total.
void runInSlices(QWidget *parent, const QString &label, bool large, std::size_t total,
                 const std::function<bool()> &step, const std::function<std::size_t()> &done);

} // namespace vireo
