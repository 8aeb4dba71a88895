#include "app/DisplayFonts.h"

#include <QFontDatabase>

namespace vireo {

bool registerDisplayFonts()
{
    bool ok = true;
    for (const char *path : {":/fonts/VORDA-A2.ttf", ":/fonts/VORDA-A3.ttf"})
        ok = QFontDatabase::addApplicationFont(QString::fromLatin1(path)) >= 0 && ok;
    return ok;
}

} // namespace vireo
