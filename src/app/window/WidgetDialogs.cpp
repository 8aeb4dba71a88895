#include "app/window/WidgetDialogs.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace vireo {

namespace {

// The filters are stored the way the window was designed: description|pattern pairs.
QString toQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return out.join(QStringLiteral(";;"));
}

void showBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void WidgetDialogs::information(const QString &text)
{
    showBox(m_parent, QMessageBox::Information, QGuiApplication::applicationDisplayName(), text);
}

void WidgetDialogs::plainMessage(const QString &text)
{
    showBox(m_parent, QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text);
}

void WidgetDialogs::error(const QString &title, const QString &text)
{
    showBox(m_parent, QMessageBox::Critical, title, text);
}

bool WidgetDialogs::askYesNo(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

QString WidgetDialogs::saveFileName(const QString &filter, const QString &defaultSuffix,
                                    const QString &proposed)
{
    QFileDialog dialog(m_parent, QString(), proposed, toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetDialogs::openFileName(const QString &filter, const QString &proposed)
{
    QFileDialog dialog(m_parent, QString(), proposed, toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace vireo
