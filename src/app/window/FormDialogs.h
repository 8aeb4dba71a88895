#pragma once

#include <QString>

namespace vireo {

// Every modal box and file dialog the window opens goes through here, so that tests can
// answer them without a person.
class FormDialogs {
public:
    virtual ~FormDialogs() = default;

    // An information box with an OK button.
    virtual void information(const QString &text) = 0;
    // A box with the text and an OK button, without icon.
    virtual void plainMessage(const QString &text) = 0;
    // An error box with an error icon.
    virtual void error(const QString &title, const QString &text) = 0;
    // An information box with Yes and No; true only for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // File dialogs: an empty result means cancelled.
    virtual QString saveFileName(const QString &filter, const QString &defaultSuffix,
                                 const QString &proposed) = 0;
    virtual QString openFileName(const QString &filter, const QString &proposed) = 0;
};

} // namespace vireo
