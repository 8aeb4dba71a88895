#include "app/window/WidgetDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

#include <algorithm>

namespace vireo {

namespace {

// The filters are stored the way the window was designed: description|pattern pairs. The
// descriptions already end in their pattern ("Excel File(*.xls)"), which is what the dialog
// reads its pattern from; one that does not gets it added.
QStringList toQtFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = QStringLiteral("(%1)").arg(parts[i + 1]);
        out << (parts[i].endsWith(pattern) ? parts[i]
                                           : QStringLiteral("%1 %2").arg(parts[i], pattern));
    }
    return out;
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

bool WidgetDialogs::askYesByDefault(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

SaveChoice WidgetDialogs::saveFileName(const QString &filter, const QString &proposed)
{
    const QStringList filters = toQtFilters(filter);
    QFileDialog dialog(m_parent, QString(), proposed, filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The name to be written is only known once the window's extension rule has been applied
    // to the typed one: the question comes then, about that name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(),
            static_cast<int>(std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0))};
}

QString WidgetDialogs::openFileName(const QString &filter, const QString &proposed)
{
    QFileDialog dialog(m_parent, QString(), proposed,
                       toQtFilters(filter).join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool WidgetDialogs::confirmReplace(const QString &name)
{
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                    QStringLiteral("%1 already exists.\nDo you want to replace it?")
                        .arg(QFileInfo(name).fileName()),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

} // namespace vireo
