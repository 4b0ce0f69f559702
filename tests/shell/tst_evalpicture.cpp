#include "shell/boardpicture.h"
#include "shell/evalpicture.h"
#include "shell/shellwindows.h"

#include "dcp/dcppanelwindow.h"
#include "simfixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

class TestEvalPicture : public QObject {
    Q_OBJECT
private slots:
    void openedTwiceIsOneWindow()
    {
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        windows.dcpPanel()->findChild<QPushButton*>(QStringLiteral("SSCommand1"))->click();
        shell::EvalPicture* first = windows.jumperPicture();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        first->close();
        windows.dcpPanel()->findChild<QAction*>(QStringLiteral("mnuJumperHelp"))->trigger();
        QCOMPARE(windows.jumperPicture(), first);
        QVERIFY(first->isVisible());
        int pictures = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            pictures += w->objectName() == QStringLiteral("EvalPicture");
        QCOMPARE(pictures, 1);
    }

    void captionAndNotes()
    {
        shell::EvalPicture picture(QString{});
        QCOMPARE(picture.windowTitle(), QStringLiteral("Jumper Orientation Information"));
        QCOMPARE(picture.findChild<QLabel*>(QStringLiteral("lblUpper"))->text(),
                 QStringLiteral("To Write to the part, J3 Must be in Pos 2-3."));
        auto* lower = picture.findChild<QLabel*>(QStringLiteral("lblLower"));
        QCOMPARE(lower->text(), QStringLiteral("To Utilize SCL_S,  J3 Must be in Pos 2-3 and J16 must be 2 to 3."));
        QVERIFY(lower->font().bold());
        QCOMPARE(lower->font().pointSize(), 12);
        QVERIFY(!picture.findChild<QLabel*>(QStringLiteral("lblBanner"))); // hardware: no banner
    }

    void pinOneOfEveryJumperIsRed()
    {
        QStringList names;
        for (const auto& jumper : shell::boardJumpers())
            names << jumper.name;
        QCOMPARE(names, (QStringList{"J3", "J4", "J6", "J7", "J10", "J16"}));

        for (const QSize size : {QSize(390, 416), QSize(780, 832)}) {
            shell::BoardPicture picture;
            picture.resize(size);
            const QImage image = picture.grab().toImage();
            for (const auto& jumper : shell::boardJumpers()) {
                const QPoint at = picture.pin1InWidget(jumper).toPoint();
                QCOMPARE(image.pixelColor(at), QColor(255, 0, 0));
                // Pin 2 next to it is not marked.
                const QPointF step = jumper.vertical ? QPointF(0, 14) : QPointF(14, 0);
                const qreal scale = size.width() / 390.0;
                const QPoint pin2 = (picture.pin1InWidget(jumper) + step * scale).toPoint();
                QVERIFY2(image.pixelColor(pin2) != QColor(255, 0, 0), qPrintable(jumper.name));
            }
        }
    }
};

QTEST_MAIN(TestEvalPicture)
#include "tst_evalpicture.moc"
