// The window built from its design table: every row becomes the one control of its name, in
// the table's order, and the shared widget behaviour the components rely on.
#include "FormTestSupport.h"

#include "app/window/EditKeyFilter.h"
#include "app/window/ToggleButton.h"
#include "app/window/WindowDesign.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace vireo {
namespace {

using test::FormFixture;

TEST(WindowDesign, EveryRowIsOneControlUnderItsParent)
{
    FormFixture fx;
    QSet<QString> seen;
    for (const ControlDesign &row : windowDesign()) {
        const QString name = QString::fromLatin1(row.name);
        EXPECT_FALSE(seen.contains(name)) << row.name << " is designed twice";
        if (row.parent != nullptr) {
            EXPECT_TRUE(seen.contains(QString::fromLatin1(row.parent)))
                << row.name << " comes before its parent " << row.parent;
        }
        seen.insert(name);

        const auto found = fx.form->findChildren<QObject *>(name);
        ASSERT_EQ(found.size(), 1) << row.name;
        if (auto *w = qobject_cast<QWidget *>(found.front())) {
            const QString parent =
                row.parent == nullptr ? QStringLiteral("FCOMM") : QString::fromLatin1(row.parent);
            EXPECT_EQ(w->parentWidget()->objectName(), parent) << row.name;
            if (row.kind == ControlKind::Menu)
                continue;
            // Labels that fit their caption keep only their place.
            if ((row.flags & FitCaption) != 0) {
                EXPECT_EQ(w->pos(), row.place.topLeft()) << row.name;
            } else if (row.place != QRect()) {
                EXPECT_EQ(w->geometry(), row.place) << row.name;
            }
            EXPECT_EQ(w->isVisibleTo(w->parentWidget()), row.shown != Shown::Hidden) << row.name;
            // Parked controls stay visible, out of the client area.
            if (row.shown == Shown::Parked) {
                EXPECT_GE(w->x(), fx.form->width()) << row.name;
            }
        } else if (auto *item = qobject_cast<QAction *>(found.front())) {
            EXPECT_EQ(item->isVisible(), row.shown != Shown::Hidden) << row.name;
            EXPECT_EQ(item->isChecked(), (row.flags & Checked) != 0) << row.name;
            // A hidden entry is never enabled.
            if (row.shown != Shown::Hidden) {
                EXPECT_EQ(item->isEnabled(), (row.flags & Disabled) == 0) << row.name;
            }
        }
    }
}

// Stacking and the keyboard order follow creation order, so the window's own children must
// stand in the order of their rows, the LCD panel and its bar first.
TEST(WindowDesign, WindowChildrenStandInDesignOrder)
{
    FormFixture fx;
    QStringList designed;
    for (const ControlDesign &row : windowDesign()) {
        if (row.parent == nullptr && row.kind != ControlKind::Menu)
            designed << QString::fromLatin1(row.name);
    }
    QStringList actual;
    for (QObject *child : fx.form->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w != nullptr && designed.contains(w->objectName()))
            actual << w->objectName();
    }
    EXPECT_EQ(actual, designed);
    const QList<QWidget *> direct = fx.form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(direct.size(), 2);
    EXPECT_EQ(direct[0]->objectName(), "Panel1");
    EXPECT_EQ(direct[1]->objectName(), "PBar2");
}

// A click on a link button releases the others of its group before any handler runs, and the
// released ones run no handler of their own.
TEST(WindowDesign, ToggleButtonReleasesItsGroupBeforeItsHandler)
{
    QWidget parent;
    ToggleButton a(QStringLiteral("A"), 1, &parent);
    ToggleButton b(QStringLiteral("B"), 1, &parent);
    ToggleButton other(QStringLiteral("C"), 2, &parent);
    a.setGeometry(0, 0, 40, 20);
    b.setGeometry(50, 0, 40, 20);
    parent.show();
    b.setDown(true);
    other.setDown(true);
    int bClicks = 0;
    bool bDownInHandler = true;
    QObject::connect(&b, &ToggleButton::clicked, [&] { ++bClicks; });
    QObject::connect(&a, &ToggleButton::clicked, [&] { bDownInHandler = b.isDown(); });

    QTest::mouseClick(&a, Qt::LeftButton);
    EXPECT_TRUE(a.isDown());
    EXPECT_FALSE(bDownInHandler);
    EXPECT_FALSE(b.isDown());
    EXPECT_EQ(bClicks, 0);
    EXPECT_TRUE(other.isDown()) << "another group is left alone";

    // Releasing the pressed one leaves every button of the group up.
    QTest::mouseClick(&a, Qt::LeftButton);
    EXPECT_FALSE(a.isDown());
    EXPECT_FALSE(b.isDown());
}

TEST(WindowDesign, KeyFilterPassesKeysWithoutACharacter)
{
    QLineEdit edit;
    filterKeys(&edit, [](QChar c) { return c.isDigit() || c == QChar(8); });
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("1a2-3"));
    EXPECT_EQ(edit.text(), "123");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "12");
    // Cursor keys and Delete never reach the character filter.
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "2");
}

} // namespace
} // namespace vireo
