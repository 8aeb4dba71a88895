#pragma once

#include "app/window/FormDialogs.h"

class QWidget;

namespace vireo {

// The real boxes and dialogs.
class WidgetDialogs : public FormDialogs {
public:
    explicit WidgetDialogs(QWidget *parent) : m_parent(parent) {}

    void information(const QString &text) override;
    void plainMessage(const QString &text) override;
    void error(const QString &title, const QString &text) override;
    bool askYesNo(const QString &text) override;
    bool askYesByDefault(const QString &text) override;
    SaveChoice saveFileName(const QString &filter, const QString &proposed) override;
    QString openFileName(const QString &filter, const QString &proposed) override;
    bool confirmReplace(const QString &name) override;

private:
    QWidget *m_parent;
};

} // namespace vireo
