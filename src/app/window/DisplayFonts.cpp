#include "app/window/DisplayFonts.h"

#include <QFont>
#include <QFontDatabase>

// Resources compiled into a static library are registered by hand.
static void initPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace vireo {

bool loadEmbeddedResources()
{
    initPictures();
    // The window was designed with these faces; their metric twins keep captions inside
    // the controls they were sized for.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    bool ok = true;
    for (const char *path : {":/fonts/VORDA-A2.ttf", ":/fonts/VORDA-A3.ttf"})
        ok = QFontDatabase::addApplicationFont(QString::fromLatin1(path)) >= 0 && ok;
    return ok;
}

} // namespace vireo
