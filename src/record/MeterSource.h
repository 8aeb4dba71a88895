#pragma once

#include <QObject>
#include <QString>

#include <string>

namespace vireo {

// A meter link as the recorder reads it: it opens or says why it cannot, hands on every frame
// the decoder takes, and tells of what happens to the link on its way.
class MeterSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // False with the reason and what to do about it.
    virtual bool open(QString *error) = 0;
    virtual void close() = 0;
    // The link as messages name it.
    virtual QString name() const = 0;

signals:
    // A frame framed by "A" and "D".
    void frame(const std::string &frameText);
    // Something about the link worth a line in the log of events.
    void notice(const QString &text);
};

} // namespace vireo
