#pragma once

#include <QChar>

#include <functional>

class QWidget;

namespace vireo {

// Lets a typed character reach `edit` only when `accept` takes it. Keys without a character
// (arrows, Delete, shortcuts) pass, as they never reach a character filter; backspace is
// offered as character 8.
void filterKeys(QWidget *edit, std::function<bool(QChar)> accept);

} // namespace vireo
