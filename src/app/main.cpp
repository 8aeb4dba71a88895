#include "app/HeronF.h"
#include "app/window/DisplayFonts.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The program's boxes carry no title of their own.
    QApplication::setApplicationDisplayName(QString());
    vireo::loadEmbeddedResources();
    vireo::TFCOMM FCOMM;
    FCOMM.show();
    FCOMM.offerEarlierRuns();
    return QApplication::exec();
}
