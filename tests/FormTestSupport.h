#pragma once

#include "app/FormDialogs.h"
#include "app/HeronF.h"
#include "support/FakeHidPlatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

namespace vireo::test {

// Answers the window's boxes and dialogs the way a test scripted them, and remembers what the
// window said.
class ScriptedDialogs : public FormDialogs {
public:
    void information(const QString &text) override { said << QStringLiteral("info:") + text; }
    void plainMessage(const QString &text) override { said << QStringLiteral("plain:") + text; }
    void error(const QString &title, const QString &text) override
    {
        said << QStringLiteral("error:") + title + QStringLiteral(":") + text;
    }
    bool askYesNo(const QString &text) override
    {
        said << QStringLiteral("ask:") + text;
        return yes;
    }
    QString saveFileName(const QString &filter, const QString &suffix, const QString &) override
    {
        said << QStringLiteral("save:") + filter + QStringLiteral(":") + suffix;
        return next(saveNames);
    }
    QString openFileName(const QString &filter, const QString &) override
    {
        said << QStringLiteral("open:") + filter;
        return next(openNames);
    }

    QStringList said;
    bool yes = true;
    std::deque<QString> saveNames;
    std::deque<QString> openNames;

private:
    static QString next(std::deque<QString> &names)
    {
        if (names.empty())
            return {};
        QString n = names.front();
        names.pop_front();
        return n;
    }
};

// A window with scripted boxes and an in-memory USB layer.
struct FormFixture {
    explicit FormFixture(const ModelSwitches &sw = ModelSwitches::shipped())
        : hid(std::make_shared<FakeHidPlatform>()),
          form(std::make_unique<TFCOMM>(sw, &dialogs, hid))
    {
    }

    // Hands a display frame text to the decoder as the collectors do.
    void show(const std::string &frameText)
    {
        form->frames.FrameText = frameText;
        form->LcdDisplayHeron();
    }

    ScriptedDialogs dialogs;
    std::shared_ptr<FakeHidPlatform> hid;
    std::unique_ptr<TFCOMM> form;
};

// The window's control of the design name `name`.
template <class T> T *named(QObject &form, const char *name)
{
    return form.findChild<T *>(QLatin1String(name));
}

// Runs the event loop until `done` holds or `ms` pass; returns whether it held.
inline bool waitFor(const std::function<bool()> &done, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace vireo::test
