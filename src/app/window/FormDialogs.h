#pragma once

#include <QString>

#include <functional>
#include <string>
#include <string_view>

namespace vireo {

// What the user chose in a save dialog: the name as typed (a name typed without an extension
// comes back without one) and the position of the file type selected in the filter.
struct SaveChoice {
    QString name;
    int type = 0;
};

// Every modal box and file dialog the window opens goes through here, so that tests can
// answer them without a person.
class FormDialogs {
public:
    // The name a save dialog's choice is written under, from the name as typed and the
    // extension of the type selected ("xls" for "Excel File(*.xls)|*.xls").
    using SaveRule = std::function<std::string(std::string_view typed, std::string_view type)>;

    virtual ~FormDialogs() = default;

    // An information box with an OK button.
    virtual void information(const QString &text) = 0;
    // A box with the text and an OK button, without icon.
    virtual void plainMessage(const QString &text) = 0;
    // An error box with an error icon.
    virtual void error(const QString &title, const QString &text) = 0;
    // An information box with Yes and No; true only for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // The same box with Yes the default button, for an offer the user mostly takes.
    virtual bool askYesByDefault(const QString &text) = 0;
    // File dialogs: an empty name means cancelled. `filter` holds description|pattern pairs.
    virtual SaveChoice saveFileName(const QString &filter, const QString &proposed) = 0;
    virtual QString openFileName(const QString &filter, const QString &proposed) = 0;
    // A warning box with Yes and No, No the default; true only for Yes.
    virtual bool confirmReplace(const QString &name) = 0;

    // A save dialog, the rule that makes the name really written, and the question before
    // that file is replaced: the dialog cannot ask about a name it never saw. Empty when the
    // user cancelled or would not replace the file.
    QString chooseSaveName(const QString &filter, const QString &proposed, const SaveRule &rule);
};

} // namespace vireo
