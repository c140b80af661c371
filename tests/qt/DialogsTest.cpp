#include "QtTestSupport.h"
#include "dialogs/qt/FormWindows.h"
#include "dialogs/qt/QtDialogs.h"
#include "platform/qt/Looks.h"

#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>
#include <set>

using namespace tessarin;
using namespace tessarin::qt;
using tessarin::qttest::duringModal;
using tessarin::qttest::shown;

namespace {

// Ends the loop of a window the game's logic left open.
std::function<void()> closer(QtDialogs& d, Window& form) {
    return [&d, &form] {
        for (FormDialog* w : std::initializer_list<FormDialog*>{d.inputWindow(), d.messageWindow(),
                                                                d.customWindow(), d.recordsWindow(),
                                                                d.aboutWindow()})
            if (w && w->isVisible()) {
                form.Visible = false;
                w->abandon();
            }
    };
}

InputForm nameForm() {
    InputForm f;
    f.TheWindow.Caption = "Input Name";
    f.TheWindow.Left = 3000;
    f.TheWindow.Top = 2000;
    f.Label1.Caption = "Please input your COOL name:";
    f.Label1.Left = 300;
    f.Label1.Top = 360;
    f.Label1.AutoSize = true;
    f.Text1 = "Player1";
    return f;
}

MessageForm messageForm(const std::string& text) {
    MessageForm f;
    f.Label1.Caption = text;
    f.Label1.Left = 120;
    f.Label1.Top = 720;
    f.Label1.Width = 3495;
    f.Label1.Height = 375;
    f.Label1.Align = Alignment::Center;
    f.Label1.TheFont = {"Times New Roman", 18, true, true};
    return f;
}

// Whether the message window's own logic closes it only on Enter and Space.
bool messageKeysInPlace() {
    MessageForm probe;
    probe.TheWindow.Visible = true;
    probe.Form_KeyDown(65, 0);
    return probe.TheWindow.Visible;
}

} // namespace

TEST(QtDialogs, NameInputEnterCancelAndCloseEachEndTheDialog) {
    QtDialogs d;
    int before = 0;
    d.setBeforeModal([&] { ++before; });
    InputForm form = nameForm();

    // Enter in the name box acts as Ok.
    duringModal(
        [&] {
            InputWindow* w = d.inputWindow();
            ASSERT_TRUE(shown(w));
            EXPECT_EQ(w->windowTitle(), "Input Name");
            EXPECT_EQ(w->size(), QSize(257, 129));
            EXPECT_EQ(w->pos(), QPoint(200, 133));
            EXPECT_EQ(w->text1()->text(), "Player1");
            EXPECT_EQ(w->prompt()->pos(), QPoint(20, 24));
            EXPECT_TRUE(w->okButton()->isDefault());
            w->text1()->selectAll();
            QTest::keyClicks(w->text1(), "Bob");
            QTest::keyClick(w->text1(), Qt::Key_Return);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_TRUE(form.Confirmed);
    EXPECT_EQ(form.Text1, "Bob");
    EXPECT_FALSE(form.TheWindow.Visible);
    EXPECT_FALSE(d.inputWindow()->isVisible());
    EXPECT_EQ(before, 1);
    InputWindow* first = d.inputWindow();

    // Cancel after an edit: not confirmed.
    duringModal(
        [&] {
            QTest::keyClicks(d.inputWindow()->text1(), "X");
            QTest::mouseClick(d.inputWindow()->cancelButton(), Qt::LeftButton);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_FALSE(form.Confirmed);
    EXPECT_FALSE(d.inputWindow()->isVisible());
    EXPECT_EQ(d.inputWindow(), first); // one window, shown again

    // The close button and Escape count as not confirmed.
    for (bool escape : {false, true}) {
        form.Confirmed = true;
        duringModal(
            [&] {
                if (escape)
                    QTest::keyClick(d.inputWindow(), Qt::Key_Escape);
                else
                    d.inputWindow()->close();
            },
            closer(d, form.TheWindow));
        d.ShowModal(form);
        EXPECT_FALSE(form.Confirmed) << escape;
        EXPECT_FALSE(form.TheWindow.Visible);
    }

    // Ok with the box emptied gives the empty name.
    duringModal(
        [&] {
            d.inputWindow()->text1()->clear();
            QTest::mouseClick(d.inputWindow()->okButton(), Qt::LeftButton);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_TRUE(form.Confirmed);
    EXPECT_EQ(form.Text1, "");

    // A password character hides what is typed.
    form.PasswordChar = '*';
    form.Text1.clear();
    QLineEdit::EchoMode mode = QLineEdit::Normal;
    duringModal([&] { mode = d.inputWindow()->text1()->echoMode(); }, closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_EQ(mode, QLineEdit::Password);
    EXPECT_EQ(before, 6);
}

TEST(QtDialogs, NameInputOpensWithTheNameSelectedSoTypingReplacesIt) {
    InputForm probe;
    probe.Text1 = "abc";
    probe.Text1_GotFocus();
    ASSERT_FALSE(probe.SelLength != 3) << "the name box selects its whole text";
    QtDialogs d;
    InputForm form = nameForm();
    QString selected;
    duringModal(
        [&] {
            InputWindow* w = d.inputWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(w));
            EXPECT_TRUE(w->text1()->hasFocus());
            selected = w->text1()->selectedText();
            QTest::keyClicks(w->text1(), "Z");
            QTest::keyClick(w->text1(), Qt::Key_Enter);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_EQ(selected, "Player1");
    EXPECT_EQ(form.SelLength, 7);
    EXPECT_EQ(form.Text1, "Z");
}

TEST(QtDialogs, MessageClosesOnEnterSpaceAndClicksButNotOnTheFrame) {
    QtDialogs d;
    MessageForm form = messageForm("Sorry,You lose!");
    form.TheWindow.Left = 5692;
    form.TheWindow.Top = 4425;

    // Space and Enter close it.
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        duringModal(
            [&] {
                MessageWindow* w = d.messageWindow();
                ASSERT_TRUE(shown(w));
                EXPECT_EQ(w->size(), QSize(265, 126));
                EXPECT_EQ(w->label1()->geometry(), QRect(8, 48, 233, 25));
                QTest::keyClick(w, key);
            },
            closer(d, form.TheWindow));
        d.ShowModal(form);
        EXPECT_FALSE(form.TheWindow.Visible);
        EXPECT_FALSE(d.messageWindow()->isVisible());
    }

    // A click on the empty part of the frame does nothing; one on the
    // message, or on the margin outside the frame, closes it.
    bool openAfterFrameClick = false;
    duringModal(
        [&] {
            MessageWindow* w = d.messageWindow();
            QTest::mouseClick(w->frame1(), Qt::LeftButton, {}, QPoint(20, 10));
            openAfterFrameClick = w->isVisible() && form.TheWindow.Visible;
            QTest::mouseClick(w->label1(), Qt::LeftButton);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_TRUE(openAfterFrameClick);
    EXPECT_FALSE(form.TheWindow.Visible);

    duringModal([&] { QTest::mouseClick(d.messageWindow(), Qt::LeftButton, {}, QPoint(3, 60)); },
                closer(d, form.TheWindow));
    bool closedByMargin = false;
    d.ShowModal(form);
    closedByMargin = !form.TheWindow.Visible;
    EXPECT_TRUE(closedByMargin);
}

TEST(QtDialogs, MessageStaysOpenForOtherKeys) {
    ASSERT_FALSE(!messageKeysInPlace()) << "the message window closes only on Enter and Space";
    QtDialogs d;
    MessageForm form = messageForm("Continue to Duel?");
    bool openAfterOtherKeys = false;
    duringModal(
        [&] {
            MessageWindow* w = d.messageWindow();
            QTest::keyClick(w, Qt::Key_A);
            QTest::keyClick(w, Qt::Key_Escape);
            QTest::keyClick(w, Qt::Key_F1);
            openAfterOtherKeys = w->isVisible() && form.TheWindow.Visible;
            QTest::keyClick(w, Qt::Key_Enter, Qt::KeypadModifier);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_TRUE(openAfterOtherKeys);
    EXPECT_FALSE(form.TheWindow.Visible);
}

TEST(QtDialogs, CustomShowsItsTabsKeysAndOptions) {
    ControlSettings settings;
    qttest::ClosingDialogs unused;
    RecordingSound sound;
    Custom form(settings, unused, sound, {});
    form.TheWindow.Caption = "Custom";
    form.Text1 = {"A", "D", "S", "W"};
    form.Text2 = {"Numpad 1", "Numpad 3", "Numpad 2", "Numpad 5"};
    form.Option1 = {true, false};
    form.Option2 = {false, true};
    QtDialogs d;
    duringModal(
        [&] {
            CustomWindow* w = d.customWindow();
            ASSERT_TRUE(shown(w));
            EXPECT_EQ(w->size(), QSize(373, 189));
            ASSERT_EQ(w->tabs()->count(), 3);
            EXPECT_EQ(w->tabs()->tabText(0), "Control Keys");
            EXPECT_EQ(w->tabs()->tabText(1), "Speed Mode");
            EXPECT_EQ(w->tabs()->tabText(2), "Rotate Mode");
            for (int p = 0; p < 2; ++p)
                for (int i = 0; i < 4; ++i) {
                    QLineEdit* box = w->keyBox(p, i);
                    EXPECT_TRUE(box->isReadOnly());
                    EXPECT_EQ(box->text().toStdString(), p == 0 ? form.Text1[i] : form.Text2[i]);
                    // The action picture sits left of its box, level with it.
                    QLabel* picture = w->keyPicture(p, i);
                    ASSERT_FALSE(picture->pixmap().isNull());
                    EXPECT_EQ(picture->pixmap().size(), QSize(20, 20));
                    EXPECT_LT(picture->geometry().right(), box->geometry().left());
                    EXPECT_EQ(picture->y(), box->y());
                }
            // Each picture is drawn differently.
            for (int i = 0; i < 3; ++i)
                EXPECT_NE(w->keyPicture(0, i)->pixmap().toImage(),
                          w->keyPicture(0, i + 1)->pixmap().toImage());
            EXPECT_TRUE(w->speedOption(0)->isChecked());
            EXPECT_FALSE(w->speedOption(1)->isChecked());
            EXPECT_FALSE(w->rotateOption(0)->isChecked());
            EXPECT_TRUE(w->rotateOption(1)->isChecked());
            EXPECT_EQ(w->command1(0)->text(), "&Ok");
            EXPECT_EQ(w->command1(1)->text(), "&Cancel");
            // Enter belongs to the key boxes: no button takes it.
            EXPECT_FALSE(w->command1(0)->autoDefault());
            EXPECT_FALSE(w->command1(1)->autoDefault());
            QTest::keyClick(w->keyBox(0, 0), Qt::Key_Return);
            EXPECT_TRUE(w->isVisible());
            EXPECT_TRUE(form.TheWindow.Visible);
            EXPECT_EQ(w->keyBox(0, 0)->text(), "A");
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_FALSE(d.customWindow()->isVisible());
}

TEST(QtDialogs, CustomKeyBoxesTakeThePressedKeyAndOkRefusesDuplicates) {
    ControlSettings settings;
    settings.Keys[0] = {65, 68, 83, 87};
    settings.Keys[1] = {97, 99, 98, 101};
    RecordingSound sound;
    QtDialogs d;
    Custom form(settings, d, sound, {});
    {
        Custom probe(settings, d, sound, {});
        probe.Text1_KeyDown(0, 81, 0);
        ASSERT_FALSE(probe.Keys1[0] != 81) << "a key box takes an accepted key";
    }
    std::vector<std::string> afterKeys;
    bool duplicateShown = false;
    QString duplicateTitle, duplicateText;
    QTimer::singleShot(0, qApp, [&] {
        CustomWindow* w = d.customWindow();
        if (!shown(w))
            return;
        // Player 1's Right becomes Q; Enter and a main-keyboard digit are refused.
        QTest::keyClick(w->keyBox(0, 1), Qt::Key_Q);
        QTest::keyClick(w->keyBox(0, 2), Qt::Key_Return);
        QTest::keyClick(w->keyBox(0, 2), Qt::Key_5);
        // Player 2's Down becomes keypad 9, shown as its name.
        QTest::keyClick(w->keyBox(1, 2), Qt::Key_9, Qt::KeypadModifier);
        for (int i = 0; i < 4; ++i)
            afterKeys.push_back(w->keyBox(0, i)->text().toStdString());
        afterKeys.push_back(w->keyBox(1, 2)->text().toStdString());
        // Rotate clockwise.
        w->tabs()->setCurrentIndex(2);
        QTest::mouseClick(w->rotateOption(1), Qt::LeftButton);
        // Player 2 takes player 1's W: Ok shows the duplicate message.
        QTest::keyClick(w->keyBox(1, 3), Qt::Key_W);
        QTimer::singleShot(0, qApp, [&] {
            if (QMessageBox* box = d.systemMessage()) {
                duplicateShown = true;
                duplicateTitle = box->windowTitle();
                duplicateText = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(w->command1(0), Qt::LeftButton);
        EXPECT_TRUE(w->isVisible()); // still open after the message
        QTest::keyClick(w->keyBox(1, 3), Qt::Key_5, Qt::KeypadModifier);
        QTest::mouseClick(w->command1(0), Qt::LeftButton);
        closer(d, form.TheWindow)();
    });
    form.DoCustom();
    EXPECT_EQ(afterKeys, (std::vector<std::string>{"A", "Q", "S", "W", "Numpad 9"}));
    EXPECT_TRUE(duplicateShown);
    EXPECT_FALSE(duplicateTitle.isEmpty());
    EXPECT_EQ(duplicateText, "Duplicate Control Key!\n\nSelect Again");
    EXPECT_EQ(sound.played, (std::vector<std::string>{"Ding.wav", "Ding.wav"}));
    EXPECT_EQ(settings.Keys[0], (PlayerKeys{65, 81, 83, 87}));
    EXPECT_EQ(settings.Keys[1], (PlayerKeys{97, 99, 105, 101}));
    EXPECT_EQ(settings.RotateMode, 1);
}

TEST(QtDialogs, RecordsGridShowsTheWindowsLabelsAndOkButton) {
    qttest::ClosingDialogs unused;
    RecordingSound sound;
    DuelResult form(unused, sound, {});
    // The grid as the records table lays it out: 4 rows of 5 with side labels.
    form.TheWindow.Caption = "Record";
    form.TheWindow.Width = 7440;
    form.TheWindow.Height = 2275;
    auto label = [](int left, int top, int width, const std::string& text) {
        Label l;
        l.Caption = text;
        l.Left = left;
        l.Top = top;
        l.Width = width;
        l.Height = 255;
        l.Border = true;
        l.BackColor = rgb(255, 192, 128);
        l.BackSystem = SystemColour::None;
        return l;
    };
    form.lblSide.clear();
    form.lblHeader.clear();
    form.lblCell.clear();
    for (int r = 0; r < 4; ++r)
        form.lblSide.push_back(label(0, 255 + 255 * r, 1350, " Row" + std::to_string(r)));
    for (int c = 0; c < 5; ++c)
        form.lblHeader.push_back(label(1350 + 1200 * c, 0, 1200, " Col" + std::to_string(c)));
    for (int k = 0; k < 20; ++k)
        form.lblCell.push_back(
            label(1350 + 1200 * (k % 5), 255 + 255 * (k / 5), 1200, std::to_string(k)));
    form.Command1.Caption = "&Ok";
    form.Command1.Width = 1035;
    form.Command1.Height = 375;
    form.Command1.Left = 7350 / 2 - 1035 / 2;
    form.Command1.Top = 1870 - 375 - 100;
    QtDialogs d;
    duringModal(
        [&] {
            RecordsWindow* w = d.recordsWindow();
            ASSERT_TRUE(shown(w));
            EXPECT_EQ(w->windowTitle(), "Record");
            // Inner area: the Ok button centred, 100 twips above the bottom.
            EXPECT_EQ(w->size(), QSize(490, 125));
            EXPECT_EQ(w->okButton()->geometry(), toPixels(3158, 1395, 1035, 375, 1));
            ASSERT_EQ(w->cellLabels().size(), 20u);
            ASSERT_EQ(w->sideLabels().size(), 4u);
            EXPECT_EQ(w->headerLabels()[2]->label().Caption, " Col2");
            EXPECT_EQ(w->cellLabels()[7]->geometry(), toPixels(3750, 510, 1200, 255, 1));
            EXPECT_TRUE(w->cellLabels()[19]->isVisible());
            const QImage img = w->grab().toImage();
            EXPECT_EQ(img.pixelColor(w->cellLabels()[7]->geometry().center()),
                      QColor(255, 192, 128));
            EXPECT_EQ(img.pixelColor(5, 118), QColor(192, 192, 192));
            QTest::mouseClick(w->okButton(), Qt::LeftButton);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_FALSE(d.recordsWindow()->isVisible());

    // A smaller grid later: the extra label widgets go.
    form.lblSide.resize(1);
    form.lblSide[0].Visible = false;
    form.lblCell.resize(8);
    form.lblHeader.resize(4);
    size_t cells = 0, sides = 0;
    duringModal(
        [&] {
            cells = d.recordsWindow()->cellLabels().size();
            sides = d.recordsWindow()->sideLabels().size();
            EXPECT_FALSE(d.recordsWindow()->sideLabels()[0]->isVisible());
            d.recordsWindow()->close();
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_EQ(cells, 8u);
    EXPECT_EQ(sides, 1u);
}

TEST(QtDialogs, RecordsWindowShowsTheBestResults) {
    RecordingSound sound;
    QtDialogs d;
    DuelResult form(d, sound, {});
    Records records;
    records.at(Records::StandardA, Records::Player1Name) = "Anonymous ";
    records.at(Records::StandardA, Records::FinalScore) = " 4300";
    std::vector<std::string> side, cells;
    bool opened = false;
    duringModal(
        [&] {
            RecordsWindow* w = d.recordsWindow();
            opened = shown(w);
            if (!opened)
                return;
            for (auto* l : w->sideLabels())
                side.push_back(l->label().Caption);
            for (auto* l : w->cellLabels())
                cells.push_back(l->label().Caption);
            QTest::mouseClick(w->okButton(), Qt::LeftButton);
        },
        [&] {
            if (d.recordsWindow() && d.recordsWindow()->isVisible()) {
                form.TheWindow.Visible = false;
                d.recordsWindow()->abandon();
            }
        });
    form.ShowRecord(records);
    QCoreApplication::processEvents(); // the check runs now if nothing opened
    ASSERT_FALSE(!opened) << "the records window opens";
    EXPECT_EQ(side, (std::vector<std::string>{" OnePlayer A", " OnePlayer B", " Cooperation A",
                                              " Cooperation B"}));
    ASSERT_EQ(cells.size(), 20u);
    EXPECT_EQ(cells[0], "Anonymous");
    EXPECT_EQ(cells[2], "4300");
    EXPECT_FALSE(form.TheWindow.Visible);
}

TEST(QtDialogs, AboutShowsItsTextsPictureAndOkButton) {
    About form({});
    form.TheWindow.Caption = "About Tessarin 3.0";
    form.lblAbout.Caption = "Tessarin";
    form.lblAbout.Left = 2535;
    form.lblAbout.Top = 150;
    form.lblAbout.Width = 2205;
    form.lblAbout.Height = 330;
    QtDialogs d;
    duringModal(
        [&] {
            AboutWindow* w = d.aboutWindow();
            ASSERT_TRUE(shown(w));
            EXPECT_EQ(w->windowTitle(), "About Tessarin 3.0");
            EXPECT_EQ(w->size(), QSize(339, 158));
            EXPECT_EQ(w->picture()->pos(), QPoint(6, 8));
            EXPECT_EQ(w->picture()->pixmap().size(), QSize(135, 137));
            EXPECT_EQ(w->title()->geometry(), toPixels(2535, 150, 2205, 330, 1));
            EXPECT_EQ(w->grab().toImage().pixelColor(330, 3), QColor(64, 0, 64));
            QTest::mouseClick(w->okButton(), Qt::LeftButton);
        },
        closer(d, form.TheWindow));
    d.ShowModal(form);
    EXPECT_FALSE(d.aboutWindow()->isVisible());
}

TEST(QtDialogs, AboutPictureIsDrawnByTheGamesOwnFieldAndPieces) {
    const QImage picture = aboutPicture();
    EXPECT_EQ(picture.size(), QSize(135, 137));
    // The corner shows the window's grey.
    EXPECT_EQ(picture.pixelColor(0, 0), appWorkspace());
    // The field and the pieces in the picture are drawn by the game itself.
    std::set<QRgb> colours;
    for (int y = 10; y < 130; ++y)
        for (int x = 5; x < 90; ++x)
            colours.insert(picture.pixel(x, y));
    EXPECT_GE(colours.size(), 5u);
}

TEST(QtDialogs, SystemMessageProgramsAndHelp) {
    QtDialogs d;
    QString title, text;
    QTimer::singleShot(0, qApp, [&] {
        if (QMessageBox* box = d.systemMessage()) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    d.SystemMessage("Duplicate Control Key!\r\n\r\nSelect Again", "Tessarin");
    EXPECT_EQ(title, "Tessarin");
    EXPECT_EQ(text, "Duplicate Control Key!\n\nSelect Again");
    EXPECT_EQ(d.systemMessage(), nullptr);

    // The old help viewer is not there; an empty command starts nothing.
    EXPECT_FALSE(d.StartProgram("winhelp TESSARIN30.HLP"));
    EXPECT_FALSE(d.StartProgram(""));

    d.ShowHelp();
    HelpWindow* help = d.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    const QString page = help->browser()->toPlainText();
    for (const char* fact :
         {"Game A", "Game B", "Duel", "Cooperation", "take tool", "add tool", "100", "400", "800",
          "1500", "Every 20 lines", "Numpad 5", "Tessarin.ini"})
        EXPECT_TRUE(page.contains(QLatin1String(fact))) << fact;
    d.ShowHelp();
    EXPECT_EQ(d.helpWindow(), help);
    help->close();
}

TEST(QtDialogs, EndingTheProgramClosesEveryOpenWindowAtOnce) {
    QtDialogs d;
    int ends = 0;
    d.setOnEnd([&] { ++ends; });
    MessageForm form = messageForm("Player1 Wins!");
    bool systemMessageReturned = false;
    // A message box inside a message window; the end comes inside both.
    duringModal(
        [&] {
            QTimer::singleShot(0, qApp, [&] { d.EndProgram(); });
            d.SystemMessage("inner", "Tessarin");
            systemMessageReturned = true;
        },
        [] {});
    d.ShowModal(form);
    EXPECT_TRUE(systemMessageReturned);
    EXPECT_TRUE(d.ended());
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(d.messageWindow()->isVisible());

    // Afterwards nothing opens any more, and ending again does nothing.
    d.ShowModal(form);
    d.SystemMessage("late", "Tessarin");
    d.ShowHelp();
    d.EndProgram();
    EXPECT_FALSE(d.messageWindow()->isVisible());
    EXPECT_EQ(d.helpWindow(), nullptr);
    EXPECT_EQ(ends, 1);
}
