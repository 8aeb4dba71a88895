// vireo-record: the meter's readings logged to a file without a window, for runs of days on a
// machine without a desktop.
#include "core/ModelTable.h"
#include "links/LinuxHidPlatform.h"
#include "record/RecordOptions.h"
#include "record/RecordOutput.h"
#include "record/Recorder.h"
#include "record/Say.h"
#include "record/SerialSource.h"
#include "record/StopSignals.h"
#include "record/UsbSource.h"

#include <QCoreApplication>
#include <QLocale>

#include <memory>

using namespace vireo;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vireo-record"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VIREO_VERSION));
    const QString decimalSep = QLocale::system().decimalPoint();

    const ParsedCommandLine parsed = parseRecordCommandLine(app.arguments(), decimalSep);
    switch (parsed.outcome) {
    case ParsedCommandLine::Outcome::Help:
        writeWhole(STDOUT_FILENO, parsed.helpText.toStdString());
        return 0;
    case ParsedCommandLine::Outcome::Version:
        writeWhole(STDOUT_FILENO, "vireo-record " VIREO_VERSION "\n");
        return 0;
    case ParsedCommandLine::Outcome::Error:
        say(parsed.error + QStringLiteral("\nTry 'vireo-record --help'."));
        return 1;
    case ParsedCommandLine::Outcome::Run:
        break;
    }
    const RecordOptions &options = parsed.options;

    // Caught from here on, so that a stop asked for while the link opens ends the run in order.
    StopSignals stopSignals;
    const ModelSetup setup = applyModelSwitches(ModelSwitches::shipped());
    std::unique_ptr<MeterSource> source;
    if (options.link == RecordOptions::Link::Serial)
        source = std::make_unique<SerialSource>(options.port, options.comPort, setup);
    else
        source = std::make_unique<UsbSource>(options.usbPath, setup,
                                             std::make_shared<LinuxHidPlatform>());
    RecordOutput output(options, decimalSep.toStdString());
    Recorder recorder(options, setup, decimalSep, *source, output);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &recorder, &Recorder::stop);
    QObject::connect(&recorder, &Recorder::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    if (!recorder.start())
        return recorder.exitCode();
    return QCoreApplication::exec();
}
