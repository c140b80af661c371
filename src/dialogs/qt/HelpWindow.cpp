#include "dialogs/qt/FormWindows.h"

#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tessarin::qt {

HelpWindow::HelpWindow(int scale, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HowToPlay"));
    setWindowTitle(tr("How to Play Tessarin"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDocumentMargin(12);
    browser_->setHtml(howToPlayPage());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(QSize(560, 600) * std::max(1, scale));
}

QString howToPlayPage() {
    return QStringLiteral(R"(<html><head><style>
h1 { color: #804000; }
h2 { color: #004080; margin-top: 14px; }
td, th { padding: 2px 8px; }
th { background: #ffc080; text-align: left; }
</style></head><body>
<h1>How to Play Tessarin</h1>

<h2>The goal</h2>
<p>Pieces made of square blocks drop one after another into the playing field.
Steer each piece while it falls: slide it left or right, turn it, and let it
down where it fits. When a row of the field is filled from wall to wall it
blinks and disappears, the rows above it drop down, and you score points.
The game is over when a new piece no longer has room to come in at the top.</p>

<h2>Starting a game</h2>
<ol>
<li>Choose a mode in the <b>Game</b> menu: <b>One Player</b> (Ctrl+O), or under
<b>Two Players</b> either <b>Duel</b> (Ctrl+D) or <b>Cooperation</b> (Ctrl+C).
You are asked for your names.</li>
<li>If you like, pick a starting <b>Level</b> and <b>Speed</b> in the
<b>Skills</b> menu, and Game A or Game B in the <b>Option</b> menu.</li>
<li>Choose <b>New Game</b> (F2).</li>
</ol>
<p><b>Pause</b> (Ctrl+P) stops the fall until you choose it again;
<b>Stop</b> (Ctrl+Q) ends the game at once. <b>Exit</b> (Ctrl+X) closes the
program.</p>

<h2>The modes</h2>
<ul>
<li><b>One Player</b>: one field, 11 squares wide and 18 high.</li>
<li><b>Duel</b>: each player has a field of their own. Clear two or more rows with
one piece and the rows you cleared are pushed into your opponent's field from
below, holes and all. Whoever can no longer bring in a new piece loses the
duel. Wins, points and lines are counted over a series of ten duels; see
<b>Duel Result</b> in the Game menu.</li>
<li><b>Cooperation</b>: both players share one wide field, 15 squares across,
each steering a piece of their own. Work together: the score belongs to you
both.</li>
</ul>

<h2>Game A and Game B</h2>
<p><b>Game A</b> uses the seven pieces of four squares. <b>Game B</b> adds
pieces of one, two, three and five squares, and now and then one of three
blinking special pieces:</p>
<ul>
<li><b>The sinker</b>, a single blinking square: it sinks through the settled
squares of its column and comes to rest in the lowest empty cell, a good way
to fill a hole that nothing else can reach.</li>
<li><b>The take tool</b>, a blinking upright pair of squares: each press of the
turn key removes the first square below it in its column.</li>
<li><b>The add tool</b>, a blinking upright row of three: each press of the turn
key drops a square of its colour down its column onto the stack. A row it
completes disappears at once.</li>
</ul>
<p>The tools do not turn; the turn key only works them.</p>

<h2>Keys</h2>
<table border="0" cellspacing="0">
<tr><th>Action</th><th>Player 1</th><th>Player 2</th></tr>
<tr><td>Move left</td><td>A</td><td>Numpad 1</td></tr>
<tr><td>Move right</td><td>D</td><td>Numpad 3</td></tr>
<tr><td>Down</td><td>S</td><td>Numpad 2</td></tr>
<tr><td>Turn</td><td>W</td><td>Numpad 5</td></tr>
</table>
<p>Keep Num Lock on for the keypad. In One Player mode both sets of keys steer
the one piece.
In <b>Option &rarr; Custom ...</b> you can choose other keys for both players,
whether a piece turns counterclockwise or clockwise, and whether the down key
drops the piece at once or moves it one row at a time. No key may be used
twice.</p>

<h2>Scoring and speed</h2>
<table border="0" cellspacing="0">
<tr><th>Rows cleared at once</th><th>Points</th></tr>
<tr><td>1</td><td>100</td></tr>
<tr><td>2</td><td>400</td></tr>
<tr><td>3</td><td>800</td></tr>
<tr><td>4</td><td>1500</td></tr>
</table>
<p>Every 20 lines the speed goes up one step and the pieces fall faster; after
speed 9 it starts again from the slowest. The
starting <b>Speed</b> (0 to 9) sets how fast the first pieces fall; the
starting <b>Level</b> (0 to 11) fills that many rows at the bottom with loose
squares before the first piece comes.</p>

<h2>Options</h2>
<ul>
<li><b>Sound</b> (Ctrl+S) turns the game's sounds on and off, even during a
game.</li>
<li><b>Preview</b> shows or hides the next piece.</li>
</ul>

<h2>Records</h2>
<p>The best result of One Player and of Cooperation is kept for Game A and for
Game B in the file <i>Tessarin.ini</i> next to the game. Beat it and the
records table appears with your name in it; <b>Best Score</b> in the Game menu
shows it at any time between games.</p>
</body></html>)");
}

} // namespace tessarin::qt
