// Every text of every window shows whole in its box, at every scale, with
// the fonts this machine has: each widget lies inside its parent, and each
// caption's ink, placed as it is drawn, lies inside the rectangle it is
// drawn into.
#include "Rig.h"
#include "qt/AboutWindow.h"
#include "qt/CustomWindow.h"
#include "qt/GamepadsWindow.h"
#include "qt/HelpWindow.h"
#include "qt/InputWindow.h"
#include "qt/Looks.h"
#include "qt/MessageWindow.h"
#include "qt/NetworkPlay.h"
#include "qt/RecordsWindow.h"

#include <QAction>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTextBrowser>

using namespace tessarin;
using namespace tessarin::qt;
using namespace tessarin::qt::testing;

namespace {

// A button's text as shown: "&&" is an ampersand, a single "&" marks the
// access letter and takes no room.
QString shownText(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}

class TextWalk {
public:
    // The faults found, one line each.
    std::vector<std::string> faults;

    // The text drawn in font into box with the alignment, as the style
    // draws its controls' texts; its ink must lie inside clip (by default
    // the box).
    void text(const QString& where, const QString& text, const QFont& font, const QRectF& box,
              Qt::Alignment align, const QRectF& clip = {}) {
        const QFontMetricsF fm(font);
        qreal x = box.left();
        if (align & Qt::AlignRight)
            x = box.right() - fm.horizontalAdvance(text);
        else if (align & Qt::AlignHCenter)
            x = box.left() + (box.width() - fm.horizontalAdvance(text)) / 2;
        qreal baseline = box.top() + fm.ascent();
        if (align & Qt::AlignVCenter)
            baseline = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
        textAt(where, text, font, {x, baseline}, clip.isNull() ? box : clip);
    }

    // The text drawn in font with its baseline starting at origin: its ink
    // must lie inside the box (half a pixel of slack for the fractions of
    // a pixel that anti-aliasing leaves at the edges).
    void textAt(const QString& where, const QString& text, const QFont& font, const QPointF& origin,
                const QRectF& box) {
        if (text.trimmed().isEmpty())
            return;
        const QRectF ink = inkRect(font, text).translated(origin);
        constexpr qreal kSlack = 0.5;
        if (!box.adjusted(-kSlack, -kSlack, kSlack, kSlack).contains(ink))
            fault(where, QString::asprintf("\"%s\" (%s %dpx) inks %.1f,%.1f..%.1f,%.1f in "
                                           "%.1f,%.1f..%.1f,%.1f",
                                           qPrintable(text), qPrintable(QFontInfo(font).family()),
                                           QFontInfo(font).pixelSize(), ink.left(), ink.top(),
                                           ink.right(), ink.bottom(), box.left(), box.top(),
                                           box.right(), box.bottom()));
    }

    // Every visible widget in window w.
    void window(QWidget* w, const QString& where) {
        QCoreApplication::processEvents();
        walk(w, where + "/" + w->objectName());
    }

    void fault(const QString& where, const QString& what) {
        faults.push_back((where + ": " + what).toStdString());
    }

private:
    void walk(QWidget* w, const QString& where) {
        widget(w, where);
        for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (c->isWindow() || !c->isVisible())
                continue;
            const QString name =
                where + "/" +
                (c->objectName().isEmpty() ? c->metaObject()->className() : c->objectName());
            if (!w->rect().contains(c->geometry()))
                fault(name, QString::asprintf("reaches %d,%d outside its parent's %dx%d",
                                              c->geometry().right(), c->geometry().bottom(),
                                              w->width(), w->height()));
            walk(c, name);
        }
    }

    void widget(QWidget* w, const QString& where) {
        QStyle* style = w->style();
        if (auto* l = qobject_cast<ElementLabel*>(w)) {
            textAt(where, QString::fromStdString(l->label().Caption), l->textFont(),
                   l->textOrigin(), l->textRect());
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            if (b->autoDefault() || b->isDefault())
                opt.features |= QStyleOptionButton::AutoDefaultButton;
            text(where, shownText(b->text()), b->font(),
                 style->subElementRect(QStyle::SE_PushButtonContents, &opt, b), Qt::AlignCenter);
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(r);
            opt.text = r->text();
            text(where, shownText(r->text()), r->font(),
                 style->subElementRect(QStyle::SE_RadioButtonContents, &opt, r),
                 Qt::AlignLeft | Qt::AlignVCenter);
        } else if (auto* frame = qobject_cast<CaptionedFrame*>(w)) {
            text(where, frame->title(), frame->font(), frame->titleRect(),
                 Qt::AlignLeft | Qt::AlignVCenter);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            QStyleOptionGroupBox opt;
            opt.initFrom(g);
            opt.text = g->title();
            opt.lineWidth = 1;
            opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            text(where, g->title(), g->font(),
                 style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g),
                 Qt::AlignLeft | Qt::AlignVCenter);
        } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
            const int space = style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar) / 2;
            for (int i = 0; i < bar->count(); ++i)
                text(where, bar->tabText(i), bar->font(),
                     bar->tabRect(i).adjusted(space, 0, -space, 0).intersected(bar->rect()),
                     Qt::AlignCenter);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            text(where, e->text(), e->font(), lineEditTextRect(e),
                 Qt::AlignLeft | Qt::AlignVCenter);
        } else if (auto* lines = qobject_cast<QLabel*>(w);
                   lines && (lines->wordWrap() || lines->text().contains('\n'))) {
            const QRect box = lines->contentsRect();
            const int flags = static_cast<int>(lines->alignment()) |
                              (lines->wordWrap() ? static_cast<int>(Qt::TextWordWrap) : 0);
            const QRect need =
                QFontMetrics(lines->font())
                    .boundingRect(box.x(), box.y(), box.width(), 100000, flags, lines->text());
            if (need.height() > box.height() || need.width() > box.width())
                fault(where, QString::asprintf("\"%s\" needs %dx%d in %dx%d",
                                               qPrintable(lines->text().left(40)), need.width(),
                                               need.height(), box.width(), box.height()));
        } else if (auto* picture = qobject_cast<QLabel*>(w)) {
            const QSizeF size = picture->pixmap().deviceIndependentSize();
            if (size.width() > picture->width() || size.height() > picture->height())
                fault(where, "picture larger than its box");
            // A form's label shows its access letter underlined.
            text(where, picture->buddy() ? shownText(picture->text()) : picture->text(),
                 picture->font(), picture->contentsRect(), picture->alignment(), picture->rect());
        } else if (auto* browser = qobject_cast<QTextBrowser*>(w)) {
            if (browser->horizontalScrollBar()->maximum() > 0)
                fault(where, "the page is wider than its window");
        } else if (auto* menus = qobject_cast<QMenuBar*>(w)) {
            // One row: the window's height depends on it.
            const QList<QAction*> all = menus->actions();
            for (QAction* a : all)
                if (menus->actionGeometry(a).top() != menus->actionGeometry(all[0]).top() ||
                    !menus->rect().contains(menus->actionGeometry(a)))
                    fault(where, "menu " + a->text() + " does not fit the bar");
        }
    }
};

// Walks inside the next modal loop, then does what closes it.
void walkModal(TextWalk& walk, std::function<QWidget*()> window, const QString& where,
               std::function<void()> more = {}) {
    duringModal([=, &walk] {
        QWidget* w = window();
        ASSERT_TRUE(w && w->isVisible()) << qPrintable(where);
        walk.window(w, where);
        if (more)
            more();
    });
}

} // namespace

TEST(Texts, EveryCaptionLabelAndButtonShowsWholeInEveryWindowAtScalesOneToFour) {
    const QFont appFont = QApplication::font();
    for (int scale = 1; scale <= 4; ++scale) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        QApplication::setFont(scaledFont(appFont, scale)); // as the program does
        TextWalk walk;
        GameRig rig(scale);
        Tessarin& game = rig.game;
        QtDialogs& d = rig.dialogs;
        Shown w(game, scale);
        walk.window(&w, "start");
        const auto close = [](QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); };

        // The name windows as each mode asks, then the mode's window, with
        // counters as wide as long games make them.
        for (const char* mode : {"mnuOnePlayer", "mnuDuel", "mnuCooperation"}) {
            rig.dialogs.setBeforeModal([&] {
                w.sync();
                walkModal(
                    walk, [&] { return d.inputWindow(); }, mode,
                    [&] { QTest::keyClick(d.inputWindow()->text1(), Qt::Key_Return); });
            });
            w.action(mode)->trigger();
            rig.dialogs.setBeforeModal([&] { w.sync(); });
            for (int i = 0; i < 2 && game.lblSpeed[i]; ++i) {
                game.lblSpeed[i]->Caption = " 19";
                game.lblLines[i]->Caption = " 9999";
                game.lblScore[i]->Caption = " 99999";
            }
            w.sync();
            walk.window(&w, mode);
        }

        // Records, and the duel results of the Cooperation's players.
        walkModal(
            walk, [&] { return d.recordsWindow(); }, "records",
            [&] { close(d.recordsWindow()->okButton()); });
        w.action("mnuBestScore")->trigger();
        DuelTallyTable tally;
        tally[0] = {"Player1", 10, 1234567, 9999};
        tally[1] = {"Player2", 10, 1234567, 9999};
        walkModal(
            walk, [&] { return d.recordsWindow(); }, "duel results",
            [&] { close(d.recordsWindow()->okButton()); });
        game.TheDuelResult->ShowDuelResult(tally);

        // The messages of the game's end.
        for (const char* text :
             {"Sorry,You lose!", "Player1 Wins!", "Player2 Wins!", "Continue to Duel?"}) {
            walkModal(
                walk, [&] { return d.messageWindow(); }, text,
                [&] { QTest::keyClick(d.messageWindow(), Qt::Key_Return); });
            game.TheMessageBox->Show(text);
        }

        // Custom: each tab, and every key name in the key boxes.
        walkModal(
            walk, [&] { return d.customWindow(); }, "Custom",
            [&] {
                CustomWindow* c = d.customWindow();
                for (int tab = 1; tab < c->tabs()->count(); ++tab) {
                    c->tabs()->setCurrentIndex(tab);
                    walk.window(c, "Custom tab " + QString::number(tab));
                }
                c->tabs()->setCurrentIndex(0);
                for (const std::string& name : game.TheCustom->KeyNames)
                    for (int p = 0; p < 2; ++p)
                        walk.text("Custom key box", QString::fromStdString(name),
                                  c->keyBox(p, 0)->font(), lineEditTextRect(c->keyBox(p, 0)),
                                  Qt::AlignLeft);
                close(c->command1(1));
            });
        w.action("mnuCustom")->trigger();

        walkModal(
            walk, [&] { return d.aboutWindow(); }, "About",
            [&] { close(d.aboutWindow()->okButton()); });
        w.action("mnuAbout")->trigger();

        // The Gamepads window: none, then two pads with long names.
        {
            Gamepads pads(game);
            GamepadsWindow pw(pads, &w);
            pw.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&pw));
            walk.window(&pw, "Gamepads, none");
            pads.Connected(1, "Xbox Series X Controller");
            pads.Connected(2, "PS5 DualSense Wireless Controller");
            pads.Connected(3, "8BitDo Pro 2");
            pw.refresh();
            walk.window(&pw, "Gamepads, three");
        }

        // Network play: the host's window before and after Start, with a
        // long word from the router and the key; the Join window from a link.
        {
            NetworkPlay network(game, w, scale);
            w.setCommandHook([&](const std::string& name) { return network.command(name); });
            const auto modal = [] { return QApplication::activeModalWidget(); };
            walkModal(walk, modal, "Host a Network Game", [&] {
                QWidget* dlg = modal();
                dlg->findChild<QSpinBox*>()->setValue(freePort());
                button(dlg, QStringLiteral("&Start"))->click();
                network.setHostKey(std::string(64, 'a'), "3F2A 91C0 7B1E 44D2");
                network.setRouterStatus(
                    QString("Your router is behind another router. ").repeated(8), "203.0.113.5");
                walk.window(dlg, "hosting");
                dlg->close();
            });
            w.action("mnuHostNet")->trigger();
            walkModal(walk, modal, "Join a Network Game", [&] { modal()->close(); });
            network.joinLink("tessarin://[2001:db8::1]:47077/K7Q-M2X");
            w.setCommandHook({});
        }

        d.ShowHelp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d.helpWindow()));
        walk.window(d.helpWindow(), "How to Play");

        EXPECT_EQ(walk.faults, std::vector<std::string>{});
    }
    QApplication::setFont(appFont);
}
