// SPDX-License-Identifier: GPL-3.0-or-later
// The DCP panel's characterisation controls: "Store && Verify", the EEPROM wear question before timed writes
// and the session's EEPROM write count.
#include "dcp/dcppanelwindow.h"
#include "simfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

struct Panel {
    SimFixture f;
    dcp::DcpPanelWindow window{f.context};
    Panel()
    {
        // Time moves with the traffic, so polling an EEPROM write cycle ends.
        f.board.setTransferTimeUs(100);
        window.show();
        if (!window.Form_Load())
            qFatal("the panel did not load");
        f.board.clearTransferLog();
    }
    template <typename T = QWidget> T* child(const char* name) const
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    QStringList i2c() const
    {
        return f.hexWritesOn(3);
    }
};

} // namespace

class TestCharacterisePanel : public QObject {
    Q_OBJECT
private slots:
    void storeAndVerify_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("status"); // a pattern: the measured cycle varies
        QTest::addColumn<QString>("eepromWrites");
        QTest::addColumn<int>("boxes");
        QTest::newRow("verified") << ""
                                  << R"(Stored position 65 in EEPROM, verified, write cycle [45]\.\d ms)"
                                  << "EEPROM writes: 1" << 0;
        QTest::newRow("stuck bit")
            << "stuck"
            << R"(Stored position 65 in EEPROM, but it reads back position 67 \(byte 84\): mismatch, write cycle [45]\.\d ms)"
            << "EEPROM writes: 1" << 0;
        QTest::newRow("write-cycle timeout")
            << "slow"
            << R"(Stored position 65 in EEPROM, not verified: the part did not )"
               R"(answer within 20 ms of the write \(write-cycle timeout\))"
            << "EEPROM writes: 1" << 0;
        QTest::newRow("write refused") << "mute"
                                       << "Position 65 not stored in EEPROM: the write failed"
                                       << "EEPROM writes: 0" << 1;
    }
    void storeAndVerify()
    {
        QFETCH(QString, fault);
        QFETCH(QString, status);
        QFETCH(QString, eepromWrites);
        QFETCH(int, boxes);
        Panel p;
        p.child<QListWidget>("List1_0")->setCurrentRow(64);
        p.f.board.clearTransferLog();
        if (fault == QLatin1String("stuck"))
            p.f.board.dcp().setStuckReadBit(2, true);
        if (fault == QLatin1String("slow"))
            p.f.board.dcp().setWriteCycleMs(40);
        if (fault == QLatin1String("mute"))
            p.f.board.setDeviceAnswers(0x9E, false);
        p.child<QPushButton>("cmdStoreVerify")->click();
        QCOMPARE(p.i2c().value(0), QStringLiteral("01 9E 80"));
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(status))
                     .match(p.label("lblStoreStatus"))
                     .hasMatch(),
                 qPrintable(p.label("lblStoreStatus")));
        QCOMPARE(p.label("lblEepromWrites"), eepromWrites);
        QCOMPARE(int(p.f.messages.messages.size()), boxes);
        QVERIFY(!p.f.link.UsbOpen);
    }

    // Timed writes in EEPROM mode ask once per session, with the numbers of the interval; No leaves the timer
    // off and asks again next time. Register mode asks nothing.
    void wearQuestion_data()
    {
        QTest::addColumn<bool>("eeprom");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("asked"); // after two starts
        QTest::addColumn<bool>("running");
        const QString at10 = QStringLiteral("Timed writes in EEPROM mode write the EEPROM every 10 ms: about "
                                            "6000 writes per minute. Continue?");
        const QString at1000 = QStringLiteral("Timed writes in EEPROM mode write the EEPROM every 1000 ms: "
                                              "about 60 writes per minute. Continue?");
        QTest::newRow("EEPROM, Yes: asked once") << true << "10" << true << QStringList{at10} << true;
        QTest::newRow("EEPROM, No: timer off, asked again")
            << true << "1000" << false << QStringList{at1000, at1000} << false;
        QTest::newRow("Register: not asked") << false << "10" << false << QStringList{} << true;
    }
    void wearQuestion()
    {
        QFETCH(bool, eeprom);
        QFETCH(QString, interval);
        QFETCH(bool, yes);
        QFETCH(QStringList, asked);
        QFETCH(bool, running);
        Panel p;
        p.f.questions.yes = yes;
        p.child<QRadioButton>(eeprom ? "Option1_0" : "Option1_1")->setChecked(true);
        p.child<QLineEdit>("txtDelay")->setText(interval);
        QCheckBox* timer = p.child<QCheckBox>("chkWriteTimer");
        timer->setChecked(true);
        timer->setChecked(false);
        timer->setChecked(true);
        QStringList got;
        for (const RecordedMessage& question : p.f.questions.asked)
            got << question.text;
        QCOMPARE(got, asked);
        QCOMPARE(timer->isChecked(), running);
        QCOMPARE(p.window.timedTransfers().readTimer().isEnabled(), running);
        if (!running)
            QVERIFY(p.i2c().isEmpty());
        timer->setChecked(false);
    }

    // Timed writes that run in Register mode are asked about when the mode becomes EEPROM; No ends them.
    void switchingToEepromAsks()
    {
        Panel p;
        p.child<QLineEdit>("txtDelay")->setText(QStringLiteral("250"));
        QCheckBox* timer = p.child<QCheckBox>("chkWriteTimer");
        timer->setChecked(true);
        QVERIFY(p.f.questions.asked.empty());
        p.child<QRadioButton>("Option1_0")->setChecked(true);
        QCOMPARE(int(p.f.questions.asked.size()), 1);
        QCOMPARE(
            p.f.questions.asked[0].text,
            QStringLiteral("Timed writes in EEPROM mode write the EEPROM every 250 ms: about 240 writes per "
                           "minute. Continue?"));
        QVERIFY(!timer->isChecked());
        QVERIFY(!p.window.timedTransfers().readTimer().isEnabled());
    }
};

QTEST_MAIN(TestCharacterisePanel)
#include "tst_characterisepanel.moc"
