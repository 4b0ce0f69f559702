// SPDX-License-Identifier: GPL-3.0-or-later
// Widgets that paint their own background inside a group box must look exactly as if they did not: the
// colour they fill with is what the group box paints behind them, under any palette.
#include "widgets/matchedbackground.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

using namespace vtx;

namespace {

// A read box in a group box, as the register bank has them, drawn under `window` (the style's own palette
// when invalid); with `matched`, the box paints its own background.
QImage drawnBox(const QColor& window, bool matched)
{
    QWidget top;
    auto* frame = new QGroupBox(QStringLiteral("Active Device Registers"), &top);
    auto* box = new QLineEdit(QStringLiteral("83"), frame);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(box);
    (new QVBoxLayout(&top))->addWidget(frame);
    if (matched)
        (new MatchedBackground(*frame))->add(*box);
    top.resize(240, 120);
    top.show();
    if (window.isValid()) {
        QPalette palette = top.palette();
        palette.setColor(QPalette::Window, window);
        top.setPalette(palette); // reaches the group box as a palette change, after the first match
    }
    if (matched && !box->autoFillBackground())
        return {};
    // The box with a margin of the group box around it.
    return top.grab().toImage().copy(
        QRect(box->mapTo(&top, QPoint(0, 0)), box->size()).adjusted(-3, -3, 3, 3));
}

} // namespace

class TestMatchedBackground : public QObject {
    Q_OBJECT
private slots:
    void looksAsIfTheContainerPaintedBehind_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::newRow("style's own palette") << QColor();
        QTest::newRow("tinted window") << QColor(250, 230, 200);
        QTest::newRow("dark window") << QColor(40, 44, 52);
    }
    void looksAsIfTheContainerPaintedBehind()
    {
        QFETCH(QColor, window);
        const QImage plain = drawnBox(window, false);
        const QImage matched = drawnBox(window, true);
        QVERIFY2(!matched.isNull(), "the box does not paint its own background");
        QCOMPARE(matched.size(), plain.size());
        // Where the background shows (the corners outside the box's rounded frame) the colours are the same;
        // the frame's antialiased edge is blended over it and may round one or two levels differently.
        const QPoint corner(3, 3);
        QCOMPARE(QColor(matched.pixel(corner)).name(), QColor(plain.pixel(corner)).name());
        int differing = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                const QColor a(plain.pixel(x, y)), b(matched.pixel(x, y));
                differing += qAbs(a.red() - b.red()) > 2 || qAbs(a.green() - b.green()) > 2 ||
                             qAbs(a.blue() - b.blue()) > 2;
            }
        }
        QCOMPARE(differing, 0);
    }
};

QTEST_MAIN(TestMatchedBackground)
#include "tst_matchedbackground.moc"
