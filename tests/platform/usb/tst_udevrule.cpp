// The installed udev rule must grant access to exactly the module the driver looks for; the IDs are
// written twice (moduleids.h for the program, the rule for udev), so this keeps them together.

#include "platform/moduleids.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TestUdevRule : public QObject {
    Q_OBJECT

private slots:
    void ruleMatchesTheModuleIds();
};

void TestUdevRule::ruleMatchesTheModuleIds()
{
    QFile file(QStringLiteral(VTX_UDEV_RULE_FILE));
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.errorString()));
    QStringList rules;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            rules << line;
    }
    QCOMPARE(rules.size(), qsizetype{1});
    const QString& rule = rules.front();

    const QString vendor = QStringLiteral("%1").arg(vtx::kModuleVendorId, 4, 16, QLatin1Char('0'));
    const QString product = QStringLiteral("%1").arg(vtx::kModuleProductId, 4, 16, QLatin1Char('0'));
    // udev compares sysfs text, which is lower-case hexadecimal with four digits.
    QVERIFY2(rule.contains(QStringLiteral("ATTR{idVendor}==\"%1\"").arg(vendor)), qPrintable(rule));
    QVERIFY2(rule.contains(QStringLiteral("ATTR{idProduct}==\"%1\"").arg(product)), qPrintable(rule));
    QVERIFY2(rule.contains(QStringLiteral("SUBSYSTEM==\"usb\"")), qPrintable(rule));
    QVERIFY2(rule.endsWith(QStringLiteral("TAG+=\"uaccess\"")), qPrintable(rule));
    // No blanket permissions: access goes to the seat's user only.
    QVERIFY2(!rule.contains(QStringLiteral("MODE")), qPrintable(rule));
}

QTEST_GUILESS_MAIN(TestUdevRule)
#include "tst_udevrule.moc"
